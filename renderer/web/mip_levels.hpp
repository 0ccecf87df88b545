#pragma once

#include <cstdint>
#include <vector>

namespace vorlune::web {

// One level of a texture's mip chain: RGB, row 0 first, no row padding.
struct MipLevel {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

// The whole chain of a square, power-of-two RGB image down to 1 x 1, each
// level the rounded mean of each 2 x 2 block of the one before,
// (a + b + c + d + 2) / 4. That is exactly what the native build's mipmap
// builder uploads for the ball texture; a browser's own mipmap generation
// differs from it by a step or two on the smaller levels.
std::vector<MipLevel> boxFilteredMipChain(const std::uint8_t* pixels, int size);

}  // namespace vorlune::web
