// vorlune: the renderer as a native X11 program. Full screen by default, a
// normal window with --window, or a screen-saver hack drawing into the window
// it is given (-root, -window-id, XSCREENSAVER_WINDOW).

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame/frame_clock.hpp"
#include "frame/key_states.hpp"
#include "frame/render_settings.hpp"
#include "linux/glx_render_window.hpp"
#include "linux/x11_errors.hpp"
#include "linux/x11_monitor_covers.hpp"
#include "linux/x11_options.hpp"
#include "scene/scene_driver.hpp"

namespace vorlune {

namespace {

constexpr const char* kCaption = "VorluneVC";

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void requestStop(int) {
    stopRequested = 1;
}

void installStopSignals() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

std::unique_ptr<Display, DisplayCloser> openDisplay() {
    const char* name = std::getenv("DISPLAY");
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        throw X11Error(name == nullptr || *name == '\0'
                           ? std::string("XOpenDisplay failed: DISPLAY is not set")
                           : std::string("XOpenDisplay failed: cannot open display \"") + name +
                                 "\"");
    }
    return std::unique_ptr<Display, DisplayCloser>(display);
}

// The pause after a frame: it ends early when X events arrive (a key, a
// close) or a stop signal comes, so that no pause delays the end. The signal
// handlers do not restart poll, which returns on them.
void pauseAfterFrame(Display* display, double seconds) {
    const double end = clockSeconds() + seconds;
    for (double left = seconds; left > 0.0; left = end - clockSeconds()) {
        if (stopRequested != 0 || XPending(display) > 0) return;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(std::ceil(left * 1000.0)));
    }
}

// The frame loop: events, the keep-running test, a frame, a swap, the pause
// the command line asked for. Returns the number of frames drawn.
long runFrames(Display* display, GlxRenderWindow& window, double pauseSeconds) {
    long frames = 0;
    bool done = false;
    while (!done) {
        if (window.drainEvents()) done = true;
        if (stopRequested != 0) done = true;
        if (!sceneKeepRunning()) done = true;
        // A window destroyed under us has nothing left to draw on.
        if (window.gone()) break;
        if (!sceneFrame()) done = true;
        window.swapBuffers();
        ++frames;
        if (!done && pauseSeconds > 0.0) pauseAfterFrame(display, pauseSeconds);
    }
    return frames;
}

void run(const X11Options& options) {
    const auto display = openDisplay();
    installX11ErrorHandlers();
    // Held keys then repeat as presses alone, with no releases in between.
    XkbSetDetectableAutoRepeat(display.get(), True, nullptr);

    GlxRenderWindow window(display.get(), options.target, options.windowId, kCaption, screenWidth,
                           screenHeight);
    // Full screen leaves no other monitor showing the desktop. Given a window,
    // we draw only there: a screen-saver daemon covers each monitor itself.
    std::optional<X11MonitorCovers> covers;
    if (options.target == DrawTarget::fullScreenSaver) {
        covers.emplace(display.get(), sceneMonitor(display.get()));
    }
    sceneStart();
    const double start = clockSeconds();
    const long frames =
        runFrames(display.get(), window, static_cast<double>(options.delayMicroseconds) / 1e6);
    const double seconds = clockSeconds() - start;
    sceneStop();

    if (options.printFrameRate && seconds > 0.0) {
        std::fprintf(stderr, "vorlune: %ld frames in %.2f s, %.1f fps at %dx%d\n", frames, seconds,
                     static_cast<double>(frames) / seconds, window.width(), window.height());
    }
}

}  // namespace

}  // namespace vorlune

int main(int argc, char** argv) {
    using namespace vorlune;
    const std::vector<std::string> args(argv + 1, argv + argc);
    X11Options options;
    try {
        options = parseX11Options(args, std::getenv("XSCREENSAVER_WINDOW"));
    } catch (const UsageError& error) {
        std::fprintf(stderr, "vorlune: %s\n%s", error.what(), x11Usage("vorlune").c_str());
        return 2;
    }
    if (options.showHelp) {
        std::fputs(x11Usage("vorlune").c_str(), stdout);
        return 0;
    }

    keyStates.fill(0);
    screenWidth = 1024;
    screenHeight = 768;
    colourBits = 16;
    fullScreen = options.target == DrawTarget::fullScreenSaver;
    textureFilterMode = 2;
    detailLevel = 3;
    installStopSignals();

    try {
        run(options);
    } catch (const BadWindowError& error) {
        std::fprintf(stderr, "vorlune: %s\n", error.what());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vorlune: %s\n", error.what());
        return 1;
    }
    return 0;
}
