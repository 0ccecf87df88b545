#!/usr/bin/env bash
# What the web page costs in headless Chromium here (SwiftShader's WebGL 2, no
# GPU), against the native renderer offscreen at the same size: the time from
# navigation to the page's first frame and the frame rate it keeps, then
# vorlune-tool fps. Figures to read, not a test.
#   scripts/web-bench.sh [WxH] [seconds]   1024x768 and 10 s by default
set -uo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.." || exit 1
size=${1:-1024x768}
seconds=${2:-10}

scripts/setup.sh web || exit 1
scripts/setup.sh run || exit 1
{ cmake --preset web >/dev/null && cmake --build --preset web --target vorlune_web >/dev/null; } ||
    { echo "web-bench: the web build failed" >&2; exit 1; }
{ cmake --preset linux >/dev/null && cmake --build --preset linux --target vorlune-tool >/dev/null; } ||
    { echo "web-bench: the native build failed" >&2; exit 1; }

page=$PWD/build/web/web/index.html
echo "web page: $(stat -c %s "$page") bytes, $(gzip -9c "$page" | wc -c) gzipped"

/usr/bin/python3 - "$page" "$size" "$seconds" <<'PY' || exit 1
import json, os, re, subprocess, sys, tempfile, time, urllib.request
import websocket  # Debian's python3-websocket

page, size, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3])
width, height = size.split("x")
profile = tempfile.mkdtemp(prefix="vorlune-bench-")
command = ["/usr/lib/chromium/chromium", "--headless=new", "--use-angle=swiftshader",
           "--enable-unsafe-swiftshader", "--user-data-dir=" + profile, "--no-first-run",
           "--disable-background-networking", "--hide-scrollbars",
           "--window-size=%s,%s" % (width, height), "--remote-debugging-port=0", "about:blank"]
if os.geteuid() == 0:
    command.insert(1, "--no-sandbox")
started = time.monotonic()
browser = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
try:
    for line in browser.stderr:
        found = re.search(r"DevTools listening on ws://([^/]+)/", line)
        if found:
            break
    else:
        sys.exit("web-bench: Chromium did not start")
    print("Chromium started in %.2f s" % (time.monotonic() - started))
    targets = json.load(urllib.request.urlopen("http://%s/json/list" % found.group(1)))
    target = next(t for t in targets if t["type"] == "page")
    ws = websocket.create_connection(target["webSocketDebuggerUrl"], timeout=120)
    ids = iter(range(1, 1 << 30))

    def call(method, **params):
        number = next(ids)
        ws.send(json.dumps({"id": number, "method": method, "params": params}))
        while True:
            reply = json.loads(ws.recv())
            if reply.get("id") == number:
                if "error" in reply:
                    sys.exit("web-bench: %s: %s" % (method, reply["error"]))
                return reply["result"]

    def evaluate(expression):
        result = call("Runtime.evaluate", expression=expression, awaitPromise=True,
                      returnByValue=True)
        return result["result"].get("value")

    # The first draw call of the page, in ms since its navigation began.
    call("Page.enable")
    call("Page.addScriptToEvaluateOnNewDocument", source="""
        (() => {
            const proto = WebGL2RenderingContext.prototype, draw = proto.drawArrays;
            proto.drawArrays = function (...args) {
                if (window.firstDraw === undefined) window.firstDraw = performance.now();
                return draw.apply(this, args);
            };
        })();""")
    call("Page.navigate", url="file://" + page)
    first = evaluate("""new Promise(done => {
        const wait = () => window.firstDraw === undefined ? setTimeout(wait, 5)
                                                           : done(window.firstDraw);
        wait(); })""")
    print("web page %s: first frame %.0f ms after navigation" % (size, first))
    frames, elapsed = evaluate("""new Promise(done => {
        let frames = 0; const start = performance.now();
        const count = now => { ++frames;
            if (now - start < %f) requestAnimationFrame(count);
            else done([frames, now - start]); };
        requestAnimationFrame(count); })""" % (seconds * 1000))
    print("web page %s: %.1f frames a second over %.1f s (%d frames)"
          % (size, frames * 1000.0 / elapsed, elapsed / 1000.0, frames))
    ws.close()
finally:
    browser.terminate()
    browser.wait()
    subprocess.run(["rm", "-rf", profile])
PY

echo "native, offscreen through EGL (vorlune-tool fps --size $size):"
build/linux/tools/vorlune-tool fps --size "$size" --seconds "$seconds"
