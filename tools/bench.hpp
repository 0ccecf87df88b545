#pragma once

#include <iosfwd>

namespace vorlune::tool {

// Measures a frame's geometry the quick way and the straightforward way side
// by side, and the texture synthesis; with wholeFrames, also whole frames
// offscreen at width x height split into geometry, submission and finish.
// Prints the figures.
void runBench(std::ostream& out, int frames, bool wholeFrames, int width, int height);

}  // namespace vorlune::tool
