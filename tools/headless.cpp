#include "headless.hpp"

#include <algorithm>
#include <numeric>

#include "frame/egl_offscreen.hpp"
#include "frame/frame_clock.hpp"
#include "frame/viewport.hpp"
#include "gl/gl_headers.hpp"
#include "scene/ball_renderer.hpp"
#include "scene/scene_driver.hpp"

namespace vorlune::tool {

std::vector<std::uint8_t> renderStill(float t, int width, int height) {
    EglOffscreen context(width, height);
    sceneStart();
    resizeViewport(width, height);
    drawScene(t);
    glFinish();
    auto pixels = context.readPixels();
    sceneStop();
    return pixels;
}

FrameStatistics measureFrames(int width, int height, double seconds) {
    EglOffscreen context(width, height);
    sceneStart();
    resizeViewport(width, height);

    std::vector<double> frameSeconds;
    frameSeconds.reserve(100000);
    const double start = clockSeconds();
    double now = start;
    while (now - start < seconds) {
        const double before = now;
        sceneFrame();
        glFinish();
        now = clockSeconds();
        frameSeconds.push_back(now - before);
    }
    sceneStop();

    FrameStatistics stats;
    stats.frames = static_cast<long>(frameSeconds.size());
    stats.seconds = now - start;
    stats.meanMilliseconds = 1000.0 * stats.seconds / static_cast<double>(stats.frames);
    std::sort(frameSeconds.begin(), frameSeconds.end());
    const auto p99 = static_cast<std::size_t>(0.99 * static_cast<double>(frameSeconds.size() - 1));
    stats.p99Milliseconds = 1000.0 * frameSeconds[p99];
    return stats;
}

}  // namespace vorlune::tool
