#pragma once

// The one triangle sink of the tests: it takes what a polygonisation emits,
// batch by batch, and fingerprints every bit of it.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "geometry/vector3.hpp"

namespace vorlune {

struct TriangleCorner {
    Vector3 normal;
    Vector3 vertex;
};

// Counts the corners and their non-finite coordinates and folds the bits of
// every float, in emission order and with the batch boundaries, into an
// FNV-1a hash. With keep set it also keeps the corners of each batch; without,
// it allocates nothing.
struct TriangleRecorder {
    explicit TriangleRecorder(bool keepCorners = true) : keep(keepCorners) {}

    bool keep;
    std::vector<std::vector<TriangleCorner>> batches;
    std::uint64_t hash = 1469598103934665603ull;
    long corners = 0;
    long nonFinite = 0;

    void beginTriangles() {
        mix(0xB0u);
        if (keep) batches.emplace_back();
    }
    void endTriangles() { mix(0xE0u); }
    void corner(const Vector3& normal, const Vector3& vertex) {
        for (float f : {normal.x, normal.y, normal.z, vertex.x, vertex.y, vertex.z}) {
            std::uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            mix(bits);
            if (!std::isfinite(f)) ++nonFinite;
        }
        ++corners;
        if (keep) batches.back().push_back({normal, vertex});
    }

  private:
    void mix(std::uint32_t word) {
        for (int i = 0; i < 4; ++i) hash = (hash ^ ((word >> (8 * i)) & 0xFFu)) * 1099511628211ull;
    }
};

}  // namespace vorlune
