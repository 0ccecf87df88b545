#pragma once

#include <array>
#include <cstdint>

namespace vorlune {

// The two cell corners each of the twelve edges joins, first corner first.
inline constexpr std::uint8_t kEdgeCorners[12][2] = {
    {0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7},
};

// Edge e of configuration i is crossed when its two corners fall on different
// sides of the level; the table follows from that rule.
inline constexpr std::array<std::uint16_t, 256> kEdgeTable = [] {
    std::array<std::uint16_t, 256> table{};
    for (unsigned index = 0; index < 256; ++index) {
        unsigned mask = 0;
        for (unsigned e = 0; e < 12; ++e) {
            const unsigned a = (index >> kEdgeCorners[e][0]) & 1u;
            const unsigned b = (index >> kEdgeCorners[e][1]) & 1u;
            if (a != b) mask |= 1u << e;
        }
        table[index] = static_cast<std::uint16_t>(mask);
    }
    return table;
}();

extern const std::int8_t kTriangleTable[256][16];

}  // namespace vorlune
