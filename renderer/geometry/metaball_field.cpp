#include "geometry/metaball_field.hpp"

#include <stdexcept>

namespace vorlune {

namespace {

// Offsets (di, dj, dk) of corners 0-7 from the cell's lowest node.
constexpr std::int32_t kCornerOffsets[8][3] = {
    {0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1},
};

}  // namespace

MetaballField::MetaballField(std::int32_t n, float extent, std::int32_t ballTotal)
    : resolution(n), ballCount(ballTotal) {
    if (n < 1 || ballTotal < 0 || ballTotal > kMaxBalls) {
        throw std::invalid_argument(
            "MetaballField: needs a resolution of at least 1 and 0 to 20 balls");
    }
    nodes = std::make_unique<FieldNode[]>(static_cast<std::size_t>(nodeCount()));
    cells = std::make_unique<FieldCell[]>(static_cast<std::size_t>(cellCount()));
    balls = std::make_unique<Metaball[]>(static_cast<std::size_t>(ballTotal));

    // The step is added before each use, so the lattice starts one step past
    // -extent and ends one step past +extent. The running sums are kept in
    // single precision, rounding and all.
    const float step = (extent + extent) / static_cast<float>(n);
    Vector3 p(-extent, -extent, -extent);
    FieldNode* node = nodes.get();
    for (std::int32_t i = 0; i <= n; ++i) {
        p.x += step;
        p.y = -extent;
        for (std::int32_t j = 0; j <= n; ++j) {
            p.y += step;
            p.z = -extent;
            for (std::int32_t k = 0; k <= n; ++k) {
                p.z += step;
                (node++)->position = p;
            }
        }
    }

    FieldCell* cell = cells.get();
    for (std::int32_t i = 0; i < n; ++i) {
        for (std::int32_t j = 0; j < n; ++j) {
            for (std::int32_t k = 0; k < n; ++k) {
                for (int c = 0; c < 8; ++c) {
                    const auto* o = kCornerOffsets[c];
                    cell->corner[c] =
                        &nodes[static_cast<std::size_t>(nodeIndex(i + o[0], j + o[1], k + o[2]))];
                }
                ++cell;
            }
        }
    }
}

void MetaballField::setBall(std::int32_t index, const Vector3& centre, float radius) {
    if (index < 0 || index >= ballCount) return;
    balls[static_cast<std::size_t>(index)].centre = centre;
    balls[static_cast<std::size_t>(index)].radius = radius;
}

}  // namespace vorlune
