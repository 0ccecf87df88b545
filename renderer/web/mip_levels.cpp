#include "web/mip_levels.hpp"

#include <cstddef>
#include <utility>

namespace vorlune::web {

std::vector<MipLevel> boxFilteredMipChain(const std::uint8_t* pixels, int size) {
    std::vector<MipLevel> chain;
    const auto bytes = static_cast<std::size_t>(size) * static_cast<std::size_t>(size) * 3;
    chain.push_back({size, size, std::vector<std::uint8_t>(pixels, pixels + bytes)});
    while (chain.back().width > 1) {
        const MipLevel& above = chain.back();
        const int side = above.width / 2;
        const auto from = static_cast<std::size_t>(above.width) * 3;  // bytes a row above
        MipLevel level{side, side,
                       std::vector<std::uint8_t>(static_cast<std::size_t>(side) *
                                                 static_cast<std::size_t>(side) * 3)};
        for (int y = 0; y < side; ++y) {
            for (int x = 0; x < side; ++x) {
                const std::uint8_t* a = above.pixels.data() + (2 * y) * from + (2 * x) * 3;
                const std::uint8_t* c = a + from;
                std::uint8_t* out =
                    level.pixels.data() + (static_cast<std::size_t>(y) * side + x) * 3;
                for (int k = 0; k < 3; ++k) {
                    out[k] = static_cast<std::uint8_t>((a[k] + a[k + 3] + c[k] + c[k + 3] + 2) / 4);
                }
            }
        }
        chain.push_back(std::move(level));
    }
    return chain;
}

}  // namespace vorlune::web
