#pragma once

#include <cstdint>

namespace vorlune {

// The renderer's settings: constants fixed at start, read across the renderer.
inline std::int32_t screenWidth = 1024;
inline std::int32_t screenHeight = 768;
inline std::int32_t colourBits = 16;
inline bool fullScreen = true;
inline std::int32_t textureFilterMode = 2;
inline std::int32_t detailLevel = 3;  // the metaball lattice has 6 * detailLevel + 10 cells a side

}  // namespace vorlune
