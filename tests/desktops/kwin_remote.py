#!/usr/bin/python3
"""Pictures and window control on a headless KWin, through its D-Bus services.

    kwin_remote.py picture OUTPUT PNG     that output's picture at its pixel size
    kwin_remote.py script FILE            runs a KWin script once

KWin lets only the programs named in a .desktop file take pictures: run this
through a copy of the interpreter of its own that such a file names (Debian's
own python3.11.desktop would be found first otherwise). Exit code 0 done, 1
failed (with the D-Bus error on stderr).
"""
import os
import subprocess
import sys
import threading

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

BUS = Gio.bus_get_sync(Gio.BusType.SESSION, None)
TIMEOUT_MS = 10000


def call(path, interface, method, args, reply, fds=None):
    result = BUS.call_with_unix_fd_list_sync("org.kde.KWin", path, interface, method, args,
                                             GLib.VariantType(reply), Gio.DBusCallFlags.NONE,
                                             TIMEOUT_MS, fds, None)
    return result[0].unpack()


def picture(output, png):
    read_end, write_end = os.pipe()
    data = bytearray()

    # KWin writes the pixels while the call is under way: read them meanwhile,
    # or a large picture fills the pipe before the call returns.
    def drain():
        with os.fdopen(read_end, "rb") as pipe:
            while chunk := pipe.read(1 << 20):
                data.extend(chunk)

    reader = threading.Thread(target=drain)
    reader.start()
    fds = Gio.UnixFDList.new()
    index = fds.append(write_end)
    os.close(write_end)
    try:
        (info,) = call("/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2", "CaptureScreen",
                       GLib.Variant("(sa{sv}h)", (output, {"native-resolution":
                                                            GLib.Variant("b", True)}, index)),
                       "(a{sv})", fds)
    finally:
        del fds  # closes our copy of the write end, so the reader sees its end
    reader.join()
    width, height, stride = info["width"], info["height"], info["stride"]
    # QImage::Format_ARGB32 / RGB32 (5 / 4) and their premultiplied kin are BGRA in memory.
    if info["format"] not in (4, 5, 6) or len(data) < stride * height:
        sys.exit("kwin_remote: unexpected picture %s with %d bytes" % (info, len(data)))
    rows = b"".join(bytes(data[y * stride:y * stride + 4 * width]) for y in range(height))
    subprocess.run(["convert", "-size", "%dx%d" % (width, height), "-depth", "8", "bgra:-",
                    "-alpha", "off", png], input=rows, check=True)


def script(path):
    (number,) = call("/Scripting", "org.kde.kwin.Scripting", "loadScript",
                     GLib.Variant("(ss)", (path, "vorlune-test-%d" % os.getpid())), "(i)")
    if number < 0:
        sys.exit("kwin_remote: KWin did not load the script " + path)
    call("/%d" % number, "org.kde.kwin.Script", "run", None, "()")


def main(argv):
    try:
        if len(argv) == 4 and argv[1] == "picture":
            picture(argv[2], argv[3])
        elif len(argv) == 3 and argv[1] == "script":
            script(argv[2])
        else:
            sys.exit(__doc__)
    except GLib.Error as error:
        sys.exit("kwin_remote: " + error.message)


if __name__ == "__main__":
    main(sys.argv)
