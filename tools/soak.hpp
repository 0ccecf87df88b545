#pragma once

#include <iosfwd>

namespace vorlune::tool {

struct SoakSettings {
    int width = 320;
    int height = 240;
    double seconds = 600.0;
    // Frames per second at most; 0 draws each frame as soon as the last is finished.
    int maxFps = 0;
    // The first memory reading is taken this long after the first frame.
    double warmUpSeconds = 5.0;
    // Then one every this long.
    double sampleSeconds = 10.0;
};

struct SoakResult {
    long frames = 0;
    long rssStartKib = 0;
    long rssEndKib = 0;
    long growthKib() const { return rssEndKib - rssStartKib; }
};

// The process's resident set in KiB, from /proc/self/statm. Throws
// std::runtime_error naming the file and the reason when it cannot be read.
long residentKib();

// Draws real scene frames offscreen (measured scene time, each followed by
// glFinish) for the given time, and prints the frame count and the resident
// set at the end of the warm-up and at every sample after it.
SoakResult runSoak(const SoakSettings& settings, std::ostream& out);

}  // namespace vorlune::tool
