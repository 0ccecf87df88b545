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
    fullScreenSaver,  // a window of our own covering the screen (the default)
    window,           // a normal window of our own, screenWidth x screenHeight
    rootWindow,       // the screen's root window
    givenWindow,      // a window some other program made (-window-id, XSCREENSAVER_WINDOW)
};

struct X11Options {
    DrawTarget target = DrawTarget::fullScreenSaver;
    std::uint32_t windowId = 0;  // for givenWindow
    // The pause after each frame, as screen-saver hacks take it; 0 draws as
    // fast as frames are accepted.
    std::uint32_t delayMicroseconds = 30000;
    bool printFrameRate = false;
    bool showHelp = false;
};

// A command line the renderer cannot run with; the message says what is wrong.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An X window id as decimal or 0x-prefixed hexadecimal text; nothing else, no
// sign, no spaces, not 0 and within the 32 bits an id has.
std::optional<std::uint32_t> parseWindowId(std::string_view text);

// The renderer's arguments (without the program name) and the value of
// XSCREENSAVER_WINDOW (null when unset). An explicit -window-id or --window
// wins over the environment; the environment's window wins over -root, as a
// screen saver's virtual root does. Throws UsageError.
X11Options parseX11Options(const std::vector<std::string>& args, const char* xscreensaverWindow);

// The usage text, for the given program name.
std::string x11Usage(std::string_view program);

}  // namespace vorlune
