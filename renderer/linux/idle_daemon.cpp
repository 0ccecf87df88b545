#include "linux/idle_daemon.hpp"

#include <poll.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "frame/frame_clock.hpp"
#include "frame/key_states.hpp"
#include "linux/frame_loop.hpp"
#include "linux/idle_watch.hpp"
#include "linux/wl_front_end.hpp"
#include "scene/scene_driver.hpp"

namespace vorlune {

namespace {

// Waits for the watch to say `idle`, or for a stop signal: false for the signal.
bool waitUntil(IdleWatch& watch, bool idle) {
    for (;;) {
        watch.dispatch();
        if (stopSignalled()) return false;
        if (watch.idle() == idle) return true;
        pollfd descriptors[2] = {{watch.descriptor(), POLLIN, 0},
                                 {stopSignalDescriptor(), POLLIN, 0}};
        poll(descriptors, 2, -1);
    }
}

void showScene(const LinuxOptions& options, const char* caption, IdleWatch& watch) {
    LinuxOptions fullScreen = options;
    fullScreen.target = DrawTarget::fullScreenSaver;
    const std::unique_ptr<FrontEnd> display = openWaylandFrontEnd(fullScreen, caption);
    // The animation goes on from where the last showing left it.
    keyStates.fill(0);
    sceneStart();
    if (sceneClock.started()) sceneClock.start(clockSeconds());
    const RunFigures figures = runFrames(*display,
                                         FrameScene{sceneTick, sceneDraw,
                                                    [&watch] {
                                                        watch.dispatch();
                                                        return sceneKeepRunning() && watch.idle();
                                                    },
                                                    watch.descriptor()},
                                         static_cast<double>(options.delayMicroseconds) / 1e6);
    sceneStop();
    keyStates.fill(0);
    if (options.printFrameRate) printRun(figures, display->surfaces());
}

}  // namespace

void runIdleDaemon(const LinuxOptions& options, const char* caption) {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland == nullptr || *wayland == '\0') {
        throw RefusedError("--idle needs a Wayland display (WAYLAND_DISPLAY)");
    }
    catchStopSignals();
    const std::uint32_t milliseconds = options.idleSeconds * 1000;
    std::unique_ptr<IdleWatch> watch = openWaylandIdleWatch(milliseconds);
    if (!watch) watch = openMutterIdleWatch(milliseconds);
    if (!watch) {
        throw RefusedError(
            std::string("--idle needs to know when the user is idle, and the compositor on the "
                        "Wayland display \"") +
            wayland +
            "\" offers neither ext_idle_notifier_v1 nor org_kde_kwin_idle, nor is there "
            "org.gnome.Mutter.IdleMonitor on the session bus");
    }
    // Each showing ends on activity (or Escape, which is activity too); the
    // next waits for that activity to be noticed, so it does not start again at once.
    while (waitUntil(*watch, true)) {
        showScene(options, caption, *watch);
        if (!waitUntil(*watch, false)) break;
    }
}

}  // namespace vorlune
