// vorlune: the renderer as a native Linux program. With a Wayland display it
// covers every output through the layer shell (or fullscreen toplevels), draws
// under the windows with -background or in a window with --window; on X11 it
// runs full screen, in a window, or as a screen-saver hack drawing into the
// window it is given (-root, -window-id, XSCREENSAVER_WINDOW). With --idle it
// waits for the user to be idle and shows the scene until they are back.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "frame/key_states.hpp"
#include "frame/render_settings.hpp"
#include "linux/frame_loop.hpp"
#include "linux/idle_daemon.hpp"
#include "linux/options.hpp"
#include "linux/wl_front_end.hpp"
#include "linux/x11_front_end.hpp"
#include "scene/scene_driver.hpp"

namespace vorlune {

namespace {

constexpr const char* kCaption = "VorluneVC";

void run(const LinuxOptions& options) {
    if (options.idleSeconds != 0) {
        runIdleDaemon(options, kCaption);
        return;
    }
    catchStopSignals();
    const std::unique_ptr<FrontEnd> display =
        chooseDisplay(options, std::getenv("WAYLAND_DISPLAY")) == DisplayKind::wayland
            ? openWaylandFrontEnd(options, kCaption)
            : openX11FrontEnd(options, kCaption);
    sceneStart();
    const RunFigures figures =
        runFrames(*display, FrameScene{sceneTick, sceneDraw, sceneKeepRunning},
                  static_cast<double>(options.delayMicroseconds) / 1e6);
    sceneStop();
    if (options.printFrameRate) printRun(figures, display->surfaces());
}

}  // namespace

}  // namespace vorlune

int main(int argc, char** argv) {
    using namespace vorlune;
    const std::vector<std::string> args(argv + 1, argv + argc);
    LinuxOptions options;
    try {
        options = parseOptions(args, std::getenv("XSCREENSAVER_WINDOW"));
    } catch (const UsageError& error) {
        std::fprintf(stderr, "vorlune: %s\n%s", error.what(), usage("vorlune").c_str());
        return 2;
    }
    if (options.showHelp) {
        std::fputs(usage("vorlune").c_str(), stdout);
        return 0;
    }

    keyStates.fill(0);
    screenWidth = 1024;
    screenHeight = 768;
    colourBits = 16;
    fullScreen = options.target == DrawTarget::fullScreenSaver;
    textureFilterMode = 2;
    detailLevel = 3;

    try {
        run(options);
    } catch (const RefusedError& error) {
        std::fprintf(stderr, "vorlune: %s\n", error.what());
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "vorlune: %s\n", error.what());
        return 1;
    }
    return 0;
}
