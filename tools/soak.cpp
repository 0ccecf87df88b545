#include "soak.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <stdexcept>
#include <string>
#include <thread>

#include "frame/egl_offscreen.hpp"
#include "frame/frame_clock.hpp"
#include "frame/viewport.hpp"
#include "gl/gl_headers.hpp"
#include "scene/scene_driver.hpp"

namespace vorlune::tool {

namespace {

void printSample(std::ostream& out, double t, long frames, long rss) {
    char line[128];
    std::snprintf(line, sizeof line, "soak: t=%.1f s frames=%ld rss=%ld KiB\n", t, frames, rss);
    out << line << std::flush;
}

}  // namespace

long residentKib() {
    const char* path = "/proc/self/statm";
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        throw std::runtime_error(std::string("fopen ") + path + ": " + std::strerror(errno));
    }
    long sizePages = 0;
    long residentPages = 0;
    const int read = std::fscanf(file, "%ld %ld", &sizePages, &residentPages);
    std::fclose(file);
    if (read != 2) throw std::runtime_error(std::string("fscanf ") + path + ": no page counts");
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pageSize <= 0) {
        throw std::runtime_error(std::string("sysconf(_SC_PAGESIZE): ") + std::strerror(errno));
    }
    return residentPages * (pageSize / 1024);
}

SoakResult runSoak(const SoakSettings& settings, std::ostream& out) {
    EglOffscreen context(settings.width, settings.height);
    sceneStart();
    resizeViewport(settings.width, settings.height);

    using Clock = std::chrono::steady_clock;
    const auto interval = settings.maxFps > 0
                              ? std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double>(1.0 / settings.maxFps))
                              : Clock::duration::zero();
    auto nextFrame = Clock::now();

    SoakResult result;
    const double start = clockSeconds();
    double nextSample = settings.warmUpSeconds;
    bool warm = false;
    double elapsed = 0.0;
    while (elapsed < settings.seconds) {
        sceneFrame();
        glFinish();
        ++result.frames;
        elapsed = clockSeconds() - start;
        if (elapsed >= nextSample) {
            const long rss = residentKib();
            if (!warm) result.rssStartKib = rss;
            warm = true;
            result.rssEndKib = rss;
            printSample(out, elapsed, result.frames, rss);
            while (nextSample <= elapsed) nextSample += settings.sampleSeconds;
        }
        if (settings.maxFps > 0) {
            // a late frame starts the next one at once, without catching up later
            nextFrame = std::max(nextFrame + interval, Clock::now());
            std::this_thread::sleep_until(nextFrame);
        }
    }
    // the last reading is taken at the end, however far from the last sample
    result.rssEndKib = residentKib();
    if (!warm) result.rssStartKib = result.rssEndKib;
    printSample(out, elapsed, result.frames, result.rssEndKib);
    sceneStop();
    return result;
}

}  // namespace vorlune::tool
