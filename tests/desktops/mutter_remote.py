#!/usr/bin/python3
"""Pictures and input on a headless mutter, through its own D-Bus services.

    mutter_remote.py picture CONNECTOR PNG    one frame of that monitor
    mutter_remote.py key KEYSYM[+KEYSYM] SECONDS   keys pressed in turn, held that
                                              long, released in reverse
    mutter_remote.py click X Y                the left button at that point of
                                              the first monitor (logical pixels)

mutter ends a remote-desktop session when its caller leaves the bus, so one
process holds the session for the whole action; gdbus calls one by one cannot.
Pictures come from a screen cast stream read by gst-launch through PipeWire.
Exit code 0 done, 1 failed (with the D-Bus error on stderr).
"""
import subprocess
import sys
import time

import gi

gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib  # noqa: E402

BUS = Gio.bus_get_sync(Gio.BusType.SESSION, None)
TIMEOUT_MS = 10000


def call(name, path, interface, method, args=None, reply="()"):
    return BUS.call_sync(name, path, interface, method, args,
                         GLib.VariantType(reply), Gio.DBusCallFlags.NONE,
                         TIMEOUT_MS, None).unpack()


def remote_desktop():
    (path,) = call("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop",
                   "org.gnome.Mutter.RemoteDesktop", "CreateSession", None, "(o)")
    return path


def session_call(path, method, args=None, reply="()"):
    return call("org.gnome.Mutter.RemoteDesktop", path,
                "org.gnome.Mutter.RemoteDesktop.Session", method, args, reply)


def wait_for(condition, seconds):
    """Runs the main loop until condition() holds; False on timeout."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        context.iteration(False)
        time.sleep(0.01)
    return True


def cast_monitor(connector):
    """A remote-desktop session with a screen cast of one monitor: the cast
    starts without a portal's dialog, and absolute pointer motion is given
    relative to its stream. Returns the session's and the stream's paths."""
    session = remote_desktop()
    session_id = call("org.gnome.Mutter.RemoteDesktop", session,
                      "org.freedesktop.DBus.Properties", "Get",
                      GLib.Variant("(ss)", ("org.gnome.Mutter.RemoteDesktop.Session",
                                            "SessionId")), "(v)")[0]
    (cast,) = call("org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast",
                   "org.gnome.Mutter.ScreenCast", "CreateSession",
                   GLib.Variant("(a{sv})", ({"remote-desktop-session-id":
                                             GLib.Variant("s", session_id)},)), "(o)")
    (stream,) = call("org.gnome.Mutter.ScreenCast", cast,
                     "org.gnome.Mutter.ScreenCast.Session", "RecordMonitor",
                     GLib.Variant("(sa{sv})", (connector, {})), "(o)")
    return session, stream


def picture(connector, png):
    session, stream = cast_monitor(connector)
    node = []
    BUS.signal_subscribe("org.gnome.Mutter.ScreenCast", "org.gnome.Mutter.ScreenCast.Stream",
                         "PipeWireStreamAdded", stream, None, Gio.DBusSignalFlags.NONE,
                         lambda *a: node.append(a[5].unpack()[0]))
    session_call(session, "Start")
    try:
        if not wait_for(lambda: node, 10):
            sys.exit("mutter_remote: no PipeWire stream for monitor " + connector)
        # A stream set up while PipeWire's session manager is still starting
        # never delivers a frame: given up on soon, for the caller to try again.
        try:
            result = subprocess.run(
                ["gst-launch-1.0", "-q", "pipewiresrc", "path=%d" % node[0], "num-buffers=1",
                 "!", "videoconvert", "!", "pngenc", "!", "filesink", "location=" + png],
                timeout=5, check=False)
        except subprocess.TimeoutExpired:
            sys.exit("mutter_remote: no frame from monitor %s within 5 s" % connector)
        if result.returncode != 0:
            sys.exit("mutter_remote: gst-launch-1.0 failed with code %d" % result.returncode)
    finally:
        session_call(session, "Stop")


def key(keysyms, seconds):
    session = remote_desktop()
    session_call(session, "Start")
    try:
        for keysym in keysyms:
            session_call(session, "NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, True)))
        time.sleep(seconds)
        for keysym in reversed(keysyms):
            session_call(session, "NotifyKeyboardKeysym", GLib.Variant("(ub)", (keysym, False)))
    finally:
        session_call(session, "Stop")


def click(x, y):
    session, stream = cast_monitor("Meta-0")
    session_call(session, "Start")
    try:
        session_call(session, "NotifyPointerMotionAbsolute",
                     GLib.Variant("(sdd)", (stream, x, y)))
        button = 0x110  # BTN_LEFT
        time.sleep(0.1)
        session_call(session, "NotifyPointerButton", GLib.Variant("(ib)", (button, True)))
        time.sleep(0.1)
        session_call(session, "NotifyPointerButton", GLib.Variant("(ib)", (button, False)))
    finally:
        session_call(session, "Stop")


def main(argv):
    try:
        if len(argv) == 4 and argv[1] == "picture":
            picture(argv[2], argv[3])
        elif len(argv) == 4 and argv[1] == "key":
            key([int(k, 0) for k in argv[2].split("+")], float(argv[3]))
        elif len(argv) == 4 and argv[1] == "click":
            click(float(argv[2]), float(argv[3]))
        else:
            sys.exit(__doc__)
    except GLib.Error as error:
        sys.exit("mutter_remote: " + error.message)


if __name__ == "__main__":
    main(sys.argv)
