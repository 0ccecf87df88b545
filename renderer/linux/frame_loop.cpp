#include "linux/frame_loop.hpp"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "frame/frame_clock.hpp"

namespace vorlune {

namespace {

volatile std::sig_atomic_t stopRequested = 0;
int wakePipe[2] = {-1, -1};

extern "C" void requestStop(int) {
    stopRequested = 1;
    // Full or not, the pipe is readable: one byte is all a wait needs.
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
}

double cpuSeconds() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

std::array<int, 2> wakeFds(const FrameScene& scene) {
    return {stopSignalDescriptor(), scene.wakeFd};
}

// The pause after a round. Events are handled as they come, so a key held,
// a closed window or a stop signal ends it at once, and so does news the
// picture should show (a new size); other keys, the pointer and the
// compositor's word that a surface could take another frame do not.
void pauseAfterFrame(FrontEnd& display, const FrameScene& scene, double seconds) {
    const double end = clockSeconds() + seconds;
    for (double left = seconds; left > 0.0; left = end - clockSeconds()) {
        if (display.dispatch()) return;
        if (display.closed() || stopSignalled() || !scene.keepRunning()) return;
        display.wait(left, wakeFds(scene));
    }
}

}  // namespace

void catchStopSignals() {
    if (wakePipe[0] < 0 && pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        throw std::runtime_error(std::string("pipe2 failed: ") + std::strerror(errno));
    }
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking call returns on the signal as well.
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

bool stopSignalled() {
    return stopRequested != 0;
}

int stopSignalDescriptor() {
    return wakePipe[0];
}

RunFigures runFrames(FrontEnd& display, const FrameScene& scene, double pauseSeconds) {
    RunFigures figures;
    const double start = clockSeconds();
    const double cpuStart = cpuSeconds();
    for (;;) {
        display.dispatch();
        if (display.closed() || stopSignalled() || !scene.keepRunning()) break;
        // The tick comes with the round's first frame: a round no surface
        // can take moves nothing on.
        bool ticked = false;
        const int drawn = display.drawFrames([&] {
            if (!ticked) {
                scene.tick();
                ticked = true;
                ++figures.rounds;
            }
            scene.draw();
        });
        if (drawn == 0) {
            display.wait(-1.0, wakeFds(scene));
        } else if (pauseSeconds > 0.0) {
            pauseAfterFrame(display, scene, pauseSeconds);
        }
    }
    figures.seconds = clockSeconds() - start;
    figures.cpuSeconds = cpuSeconds() - cpuStart;
    return figures;
}

std::string describeRun(const RunFigures& figures, const std::vector<SurfaceFrames>& surfaces) {
    std::string text;
    char line[256];
    for (const SurfaceFrames& surface : surfaces) {
        std::snprintf(
            line, sizeof line, "%s: %ld frames in %.2f s, %.1f fps at %s\n", surface.name.c_str(),
            surface.frames, figures.seconds,
            figures.seconds > 0.0 ? static_cast<double>(surface.frames) / figures.seconds : 0.0,
            surface.size.c_str());
        text += line;
    }
    std::snprintf(line, sizeof line, "%ld rounds in %.2f s, %.1f ms CPU a round", figures.rounds,
                  figures.seconds,
                  figures.rounds > 0
                      ? figures.cpuSeconds * 1000.0 / static_cast<double>(figures.rounds)
                      : 0.0);
    return text + line;
}

void printRun(const RunFigures& figures, const std::vector<SurfaceFrames>& surfaces) {
    const std::string text = describeRun(figures, surfaces);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::fprintf(stderr, "vorlune: %s\n", text.substr(at, end - at).c_str());
        at = end + 1;
    }
}

}  // namespace vorlune
