#pragma once

#include <cstdint>
#include <memory>

#include "geometry/vector3.hpp"

namespace vorlune {

// The field evaluation keeps one scratch entry per ball on the stack.
inline constexpr std::int32_t kMaxBalls = 20;

struct FieldNode {
    float value = 0.0f;  // rewritten by every field evaluation
    Vector3 position;    // fixed at construction
};

// One lattice cube. Corners 0-3 are the face at the lower y, 4-7 the face
// above them; the marching-cubes tables are written against this numbering.
struct FieldCell {
    FieldNode* corner[8] = {};
};

struct Metaball {
    Vector3 centre;
    float radius = 0.0f;  // a negative radius subtracts from the field
};

// The lattice the metaballs are sampled on: (N + 1)^3 nodes, N^3 cells and the
// balls. Built once; only node values and balls change afterwards. Cells point
// into the node array, so the field is never copied (moving keeps the arrays).
class MetaballField {
  public:
    MetaballField(std::int32_t resolution, float extent, std::int32_t ballCount);
    MetaballField(const MetaballField&) = delete;
    MetaballField& operator=(const MetaballField&) = delete;
    MetaballField(MetaballField&&) noexcept = default;
    MetaballField& operator=(MetaballField&&) noexcept = default;
    ~MetaballField() = default;

    // k varies fastest, i slowest.
    std::int32_t nodeIndex(std::int32_t i, std::int32_t j, std::int32_t k) const {
        return (i * (resolution + 1) + j) * (resolution + 1) + k;
    }

    // Indexes outside 0 .. ballCount - 1 are ignored.
    void setBall(std::int32_t index, const Vector3& centre, float radius);

    std::int32_t nodeCount() const {
        return (resolution + 1) * (resolution + 1) * (resolution + 1);
    }
    std::int32_t cellCount() const { return resolution * resolution * resolution; }

    std::unique_ptr<FieldNode[]> nodes;
    std::unique_ptr<FieldCell[]> cells;
    std::unique_ptr<Metaball[]> balls;
    std::int32_t resolution;
    std::int32_t ballCount;
};

}  // namespace vorlune
