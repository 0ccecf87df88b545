#!/usr/bin/python3
"""The web page in headless Chromium (SwiftShader's WebGL 2, no GPU).

  page_test.py frames PAGE VORLUNE_TOOL WORK_DIR
      PAGE?t=T for a few scene times, served over http and opened from file://
      (there at a device pixel ratio of 2), each against the native
      vorlune-tool's render at the same time and size by the golden-frame rule.
      Over http, Chromium's network log must show the page requesting
      nothing, from any host, but files in its folder.
  page_test.py animates PAGE WORK_DIR
      the page without ?t at two moments: the pictures differ.
"""

import functools
import json
import http.server
import os
import pathlib
import shutil
import signal
import subprocess
import sys
import tempfile
import threading

from PIL import Image, ImageChops, ImageStat

CHROMIUM = os.environ.get("VORLUNE_CHROMIUM", "/usr/lib/chromium/chromium")
WIDTH, HEIGHT = 640, 480
# one sphere; the balls apart; the texture turned, repeated and minified
TIMES = ["0", "10", "400"]
# The golden frames' rule: a pixel differs when a channel is off by more than
# 8 of 255, and a frame may have at most 0.5 % of such pixels.
CHANNEL_TOLERANCE = 8
MAX_DIFFERING = 0.005


def screenshot(url, out, flags=(), budget_ms=10000, window=(WIDTH, HEIGHT)):
    """The page as Chromium shows it once budget_ms of virtual time have run."""
    profile = tempfile.mkdtemp(prefix="vorlune-chromium-")
    command = [
        CHROMIUM, "--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
        "--user-data-dir=" + profile, "--no-first-run", "--no-default-browser-check",
        "--disable-background-networking", "--disable-component-update", "--disable-sync",
        "--disable-default-apps", "--disable-extensions", "--hide-scrollbars", "--mute-audio",
        "--window-size=%d,%d" % window, "--virtual-time-budget=%d" % budget_ms,
        "--screenshot=" + out, *flags,
    ]
    if os.geteuid() == 0:
        command.append("--no-sandbox")  # Chromium will not start as root otherwise
    command.append(url)
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               start_new_session=True)
    try:
        log, _ = process.communicate(timeout=120)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        log, _ = process.communicate()
        sys.exit("FAIL %s: Chromium did not finish within 120 s\n%s" % (url, log.decode()))
    finally:
        try:  # whatever of the browser's own session is left
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        shutil.rmtree(profile, ignore_errors=True)
    if process.returncode != 0 or not os.path.exists(out):
        sys.exit("FAIL %s: Chromium exited with %d, no screenshot\n%s"
                 % (url, process.returncode, log.decode(errors="replace")))
    return Image.open(out).convert("RGB")


def differing_share(picture, expected):
    """The share of pixels with a channel off by more than the tolerance."""
    if picture.size != expected.size:
        return 1.0
    channels = ImageChops.difference(picture, expected).split()
    over = [c.point(lambda v: 255 if v > CHANNEL_TOLERANCE else 0) for c in channels]
    any_channel = ImageChops.lighter(ImageChops.lighter(over[0], over[1]), over[2])
    return any_channel.histogram()[255] / (picture.size[0] * picture.size[1])


def page_requests(net_log, site):
    """The URLs Chromium's network log shows it requesting for a page of this
    site (the page itself, and whatever it loads from anywhere), leaving out
    the browser's own traffic (its clock, updates, accounts)."""
    with open(net_log) as log:
        events = json.load(log)
    start_job = events["constants"]["logEventTypes"]["URL_REQUEST_START_JOB"]
    return [e["params"]["url"] for e in events["events"]
            if e["type"] == start_job and "url" in e.get("params", {})
            and e["params"].get("network_isolation_key", "").startswith(site)]


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def frames(page, tool, work):
    site_root = os.path.join(work, "root")
    os.makedirs(site_root)
    shutil.copytree(os.path.dirname(os.path.abspath(page)), os.path.join(site_root, "site"))
    handler = functools.partial(QuietHandler, directory=site_root)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    site = "http://127.0.0.1"
    folder = "%s:%d/site/" % (site, server.server_address[1])

    failures = 0
    name = os.path.basename(page)
    for t in TIMES:
        native = os.path.join(work, "native-t%s.png" % t)
        subprocess.run([tool, "render", "--time", t, "--size", "%dx%d" % (WIDTH, HEIGHT),
                        "--out", native], check=True, stdout=subprocess.DEVNULL)
        expected = Image.open(native).convert("RGB")
        net_log = os.path.join(work, "net-t%s.json" % t)
        # From file:// at a device pixel ratio of 2 in a window of half the
        # size: the same pixels, if the drawing buffer follows the ratio.
        for how, url, flags, window in (
                ("http", "%s%s?t=%s" % (folder, name, t), ["--log-net-log=" + net_log],
                 (WIDTH, HEIGHT)),
                ("file", "%s?t=%s" % (pathlib.Path(page).resolve().as_uri(), t),
                 ["--force-device-scale-factor=2"], (WIDTH // 2, HEIGHT // 2))):
            picture = screenshot(url, os.path.join(work, "%s-t%s.png" % (how, t)), flags,
                                 window=window)
            share = differing_share(picture, expected)
            verdict = "ok" if share <= MAX_DIFFERING else "FAIL"
            print("%s t=%s over %s: %.3f %% of pixels differ" % (verdict, t, how, 100 * share))
            failures += verdict != "ok"

        requests = page_requests(net_log, site)
        outside = [r for r in requests if not r.startswith(folder)]
        print("%s t=%s over http: %d requests, %d for something outside the page's folder %s"
              % ("FAIL" if outside or not requests else "ok", t, len(requests), len(outside),
                 outside))
        failures += bool(outside or not requests)
    server.shutdown()
    return failures


def animates(page, work):
    url = pathlib.Path(page).resolve().as_uri()
    # A small window: this one draws every frame of its virtual seconds.
    moments = [screenshot(url, os.path.join(work, "moving-%ds.png" % s), budget_ms=1000 * s,
                          window=(WIDTH // 2, HEIGHT // 2))
               for s in (2, 6)]
    # A page that has not drawn yet is black, and would differ from a drawn one.
    brightness = [ImageStat.Stat(m.convert("L")).mean[0] for m in moments]
    share = differing_share(*moments)
    print("%.1f %% of pixels differ between 2 s and 6 s (mean brightness %.0f and %.0f)"
          % (100 * share, *brightness))
    if min(brightness) < 20:
        print("FAIL the scene is not drawn in both moments")
        return 1
    if share <= MAX_DIFFERING:
        print("FAIL the page does not animate: the two moments match by the golden-frame rule")
        return 1
    return 0


def main(argv):
    if len(argv) == 5 and argv[1] == "frames":
        page, tool, work = argv[2:]
    elif len(argv) == 4 and argv[1] == "animates":
        page, work = argv[2:]
    else:
        sys.exit(__doc__)
    if argv[1] == "frames" and not os.access(tool, os.X_OK):
        sys.exit("no native vorlune-tool at %s: build the linux preset first" % tool)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    failures = frames(page, tool, work) if argv[1] == "frames" else animates(page, work)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
