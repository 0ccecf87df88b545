#pragma once

#include <cstdint>
#include <vector>

namespace vorlune::tool {

// The frame at scene time t as the renderer draws it, rendered offscreen
// through EGL: RGB bytes, top row first. Throws std::runtime_error when no
// context can be had.
std::vector<std::uint8_t> renderStill(float t, int width, int height);

struct FrameStatistics {
    long frames = 0;
    double seconds = 0.0;
    double meanMilliseconds = 0.0;
    double p99Milliseconds = 0.0;
};

// Draws frames as fast as they finish for about the given time, each frame a
// real scene frame (measured scene time) followed by glFinish.
FrameStatistics measureFrames(int width, int height, double seconds);

}  // namespace vorlune::tool
