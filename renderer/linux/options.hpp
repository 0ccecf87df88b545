#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vorlune {

// Where the native renderer draws.
enum class DrawTarget {
    fullScreenSaver,  // surfaces of our own covering every monitor (the default)
    window,           // a normal window of our own, screenWidth x screenHeight
    background,       // Wayland: under every window on each output, an animated wallpaper
    rootWindow,       // X11: the screen's root window
    givenWindow,      // X11: a window some other program made (-window-id, XSCREENSAVER_WINDOW)
};

// The display server the renderer talks to.
enum class DisplayKind { x11, wayland };

struct LinuxOptions {
    DrawTarget target = DrawTarget::fullScreenSaver;
    std::uint32_t windowId = 0;  // for givenWindow
    // The pause after each frame, as screen-saver hacks take it; 0 draws as
    // fast as frames are accepted.
    std::uint32_t delayMicroseconds = 30000;
    bool printFrameRate = false;
    bool showHelp = false;
    bool forceX11 = false;  // --x11: X11 even where a Wayland display is set
    // --idle: the idle time after which the scene shows, full screen, until
    // the user's activity; 0 when the scene is to show at once.
    std::uint32_t idleSeconds = 0;
};

// A command line the renderer cannot run with; the message says what is wrong.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What was asked cannot be done on this display (a window that is not there,
// a background without a layer shell): a message and exit code 2, as for a
// bad command line.
class RefusedError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An X window id as decimal or 0x-prefixed hexadecimal text; nothing else, no
// sign, no spaces, not 0 and within the 32 bits an id has.
std::optional<std::uint32_t> parseWindowId(std::string_view text);

// The renderer's arguments (without the program name) and the value of
// XSCREENSAVER_WINDOW (null when unset). An explicit -window-id, --window or
// -background wins over the environment; the environment's window wins over
// -root, as a screen saver's virtual root does. Throws UsageError.
LinuxOptions parseOptions(const std::vector<std::string>& args, const char* xscreensaverWindow);

// Wayland when a Wayland display is named (WAYLAND_DISPLAY, null when unset)
// and nothing asks for X11: --x11, or a target that only X11 has (-root, a
// given window, XScreenSaver's conventions).
DisplayKind chooseDisplay(const LinuxOptions& options, const char* waylandDisplay);

// The usage text, for the given program name.
std::string usage(std::string_view program);

}  // namespace vorlune
