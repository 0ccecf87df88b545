#include "linux/options.hpp"

#include <charconv>

namespace vorlune {

std::optional<std::uint32_t> parseWindowId(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return std::nullopt;
    // from_chars would take a leading minus sign for us; an id has none.
    if (text.front() == '-' || text.front() == '+') return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc{} || end != text.data() + text.size() || value == 0) {
        return std::nullopt;
    }
    return value;
}

LinuxOptions parseOptions(const std::vector<std::string>& args, const char* xscreensaverWindow) {
    LinuxOptions options;
    bool explicitTarget = false;
    bool root = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        // Hacks take their options with one dash; people type two.
        std::string_view arg = args[i];
        if (arg.size() > 2 && arg.substr(0, 2) == "--") arg.remove_prefix(1);

        if (arg == "-window") {
            options.target = DrawTarget::window;
            explicitTarget = true;
        } else if (arg == "-background") {
            options.target = DrawTarget::background;
            explicitTarget = true;
        } else if (arg == "-root") {
            root = true;
        } else if (arg == "-x11") {
            options.forceX11 = true;
        } else if (arg == "-window-id") {
            if (i + 1 == args.size()) throw UsageError("-window-id needs a window id");
            const std::string& text = args[++i];
            const auto id = parseWindowId(text);
            if (!id) throw UsageError("-window-id: bad window id '" + text + "'");
            options.target = DrawTarget::givenWindow;
            options.windowId = *id;
            explicitTarget = true;
        } else if (arg == "-delay") {
            if (i + 1 == args.size()) throw UsageError("-delay needs a number of microseconds");
            const std::string& text = args[++i];
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), options.delayMicroseconds);
            if (error != std::errc{} || end != text.data() + text.size()) {
                throw UsageError("-delay: bad number of microseconds '" + text + "'");
            }
        } else if (arg == "-idle") {
            if (i + 1 == args.size()) throw UsageError("--idle needs a number of seconds");
            const std::string& text = args[++i];
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), options.idleSeconds);
            // A day is more than any idle timeout; its milliseconds fit 32 bits.
            if (error != std::errc{} || end != text.data() + text.size() ||
                options.idleSeconds == 0 || options.idleSeconds > 86400) {
                throw UsageError("--idle: bad number of seconds '" + text + "' (1 to 86400)");
            }
        } else if (arg == "-fps") {
            options.printFrameRate = true;
        } else if (arg == "-h" || arg == "-help") {
            options.showHelp = true;
        } else {
            throw UsageError("unknown argument '" + args[i] + "'");
        }
    }
    if (options.idleSeconds != 0) {
        if (explicitTarget || root || options.forceX11) {
            throw UsageError(
                "--idle shows the scene full screen on Wayland: it takes no --window, "
                "-background, -root, -window-id or --x11");
        }
        // Its own, whatever a screen-saver daemon's variable says.
        return options;
    }
    if (explicitTarget) return options;

    if (xscreensaverWindow != nullptr && *xscreensaverWindow != '\0') {
        const auto id = parseWindowId(xscreensaverWindow);
        if (!id) {
            throw UsageError(std::string("XSCREENSAVER_WINDOW: bad window id '") +
                             xscreensaverWindow + "'");
        }
        options.target = DrawTarget::givenWindow;
        options.windowId = *id;
    } else if (root) {
        options.target = DrawTarget::rootWindow;
    }
    return options;
}

DisplayKind chooseDisplay(const LinuxOptions& options, const char* waylandDisplay) {
    if (options.forceX11) return DisplayKind::x11;
    if (options.target == DrawTarget::rootWindow || options.target == DrawTarget::givenWindow) {
        return DisplayKind::x11;
    }
    return waylandDisplay != nullptr && *waylandDisplay != '\0' ? DisplayKind::wayland
                                                                : DisplayKind::x11;
}

std::string usage(std::string_view program) {
    std::string text = "usage: ";
    text += program;
    text +=
        " [--window | -background | --idle SECONDS | -root | -window-id ID] [--x11]\n"
        "       [-delay MICROSECONDS] [-fps]\n"
        "  (none)          full screen on every monitor\n"
        "  --window        a 1024x768 window\n"
        "  -background     Wayland: under the windows on every output, as a wallpaper\n"
        "  --idle SECONDS  Wayland: wait in the background; full screen once the user has\n"
        "                  been idle that long, until they are back; then wait again\n"
        "  -root           X11: draw into the root window\n"
        "  -window-id ID   X11: draw into window ID (decimal or 0x hexadecimal)\n"
        "  --x11           X11 even where WAYLAND_DISPLAY is set\n"
        "  -delay US       pause US microseconds after each round of frames (default 30000,\n"
        "                  0: none)\n"
        "  -fps            print each surface's frame rate and the CPU time a round on stderr\n"
        "                  at exit\n"
        "With WAYLAND_DISPLAY set the renderer speaks Wayland, otherwise X11 on DISPLAY.\n"
        "XSCREENSAVER_WINDOW=ID in the environment draws into that window, as -window-id does.\n";
    return text;
}

}  // namespace vorlune
