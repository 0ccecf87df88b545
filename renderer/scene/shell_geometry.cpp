#include "scene/shell_geometry.hpp"

#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vorlune {

namespace {

using f4 = float __attribute__((vector_size(16)));

f4 load4(const float* p) {
    f4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void store4(float* p, f4 v) {
    std::memcpy(p, &v, sizeof v);
}

f4 splat(float x) {
    return f4{x, x, x, x};
}

// d2 < nearest ? nearest : d2, lane by lane (a NaN stays a NaN, as in the scalar rule).
f4 atLeast(f4 d2, f4 nearest) {
#if defined(__SSE2__)
    return reinterpret_cast<f4>(
        _mm_max_ps(reinterpret_cast<__m128>(nearest), reinterpret_cast<__m128>(d2)));
#else
    return d2 < nearest ? nearest : d2;
#endif
}

// Lanes where v < limit, as bits 0-3.
unsigned lessMask(f4 v, float limit) {
    const auto less = v < splat(limit);
#if defined(__SSE2__)
    return static_cast<unsigned>(_mm_movemask_ps(reinterpret_cast<__m128>(less)));
#else
    return (less[0] ? 1u : 0u) | (less[1] ? 2u : 0u) | (less[2] ? 4u : 0u) | (less[3] ? 8u : 0u);
#endif
}

// Each lane's square root taken in double precision and narrowed, like squareRoot.
f4 sqrtViaDouble(f4 v) {
#if defined(__SSE2__)
    const __m128 x = reinterpret_cast<__m128>(v);
    const __m128d low = _mm_sqrt_pd(_mm_cvtps_pd(x));
    const __m128d high = _mm_sqrt_pd(_mm_cvtps_pd(_mm_movehl_ps(x, x)));
    return reinterpret_cast<f4>(_mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high)));
#else
    f4 r;
    for (int l = 0; l < 4; ++l) r[l] = static_cast<float>(squareRoot(v[l]));
    return r;
#endif
}

// (di, dj, dk) of each cell corner.
constexpr int kCornerStep[8][3] = {
    {0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1},
};

// The corner bits of one face of a cell (corners 0-3, or 4-7 above them) from
// two rows' bit pairs: v holds row a's bits k and k + 1, then row b's.
// Corner 0 is a's k, 1 is b's k, 2 is b's k + 1, 3 is a's k + 1.
constexpr unsigned kFaceBits[16] = {
    0x0, 0x1, 0x8, 0x9, 0x2, 0x3, 0xA, 0xB, 0x4, 0x5, 0xC, 0xD, 0x6, 0x7, 0xE, 0xF,
};

// Where a level's point on a lattice edge is kept: five codes per node, for
// the edge from it along i (walked up, walked down), along j (up only: no
// cell walks a j edge downwards) and along k (up, down).
constexpr int kCodes = 5;
constexpr int kAlongIUp = 0, kAlongIDown = 1, kAlongJUp = 2, kAlongKUp = 3, kAlongKDown = 4;

}  // namespace

ShellGeometry::ShellGeometry(const MetaballField& field)
    : field_(field), n_(field.resolution), stride_((field.resolution + 1 + 3) / 4 * 4) {
    if (n_ > 62) throw std::invalid_argument("ShellGeometry: at most 62 cells a side");
    const auto side = static_cast<std::size_t>(n_ + 1);
    const auto stride = static_cast<std::size_t>(stride_);
    nodeSlots_ = side * side * stride;

    px_ = std::make_unique<float[]>(side);
    py_ = std::make_unique<float[]>(side);
    pz_ = std::make_unique<float[]>(stride);
    for (int i = 0; i <= n_; ++i) {
        px_[i] = field.nodes[field.nodeIndex(i, 0, 0)].position.x;
        py_[i] = field.nodes[field.nodeIndex(0, i, 0)].position.y;
        pz_[i] = field.nodes[field.nodeIndex(0, 0, i)].position.z;
    }
    const auto balls = static_cast<std::size_t>(kMaxBalls);
    dx2_ = std::make_unique<float[]>(balls * side);
    dy2_ = std::make_unique<float[]>(balls * side);
    // the padding past the last node holds 1: harmless values, never read as nodes
    dz2_ = std::make_unique<float[]>(balls * stride);
    std::fill_n(dz2_.get(), balls * stride, 1.0f);

    values_ = std::make_unique<float[]>(nodeSlots_);
    below_ = std::make_unique<std::uint64_t[]>(side * side);
    planeCodes_ = side * stride * kCodes;
    edgeSlot_ = std::make_unique<std::int32_t[]>(2 * planeCodes_);
    // at most five points per node (two along i and k, one along j), five
    // triangles per cell; the normals are computed four at a time
    vertices_ = std::make_unique<Vector3[]>(nodeSlots_ * 5);
    normals_ = std::make_unique<Vector3[]>(nodeSlots_ * 5 + 3);
    cornerSlots_ =
        std::make_unique<std::int32_t[]>(static_cast<std::size_t>(field.cellCount()) * 15);

    // Each cell edge as the lattice edge it lies on: where that edge's point is
    // kept, counted from the cell's first node's codes, for a cell in an even
    // plane (the next plane's codes follow) and in an odd one (they precede).
    std::int32_t edgeOffset[2][12];
    for (int e = 0; e < 12; ++e) {
        const int* first = kCornerStep[kEdgeCorners[e][0]];
        const int* second = kCornerStep[kEdgeCorners[e][1]];
        int axis = 0;
        while (first[axis] == second[axis]) ++axis;
        const bool downwards = second[axis] < first[axis];
        const int* low = downwards ? second : first;
        static constexpr int kAlongCodes[3][2] = {
            {kAlongIUp, kAlongIDown}, {kAlongJUp, kAlongJUp}, {kAlongKUp, kAlongKDown}};
        const auto inPlane = static_cast<std::int32_t>((low[1] * stride_ + low[2]) * kCodes +
                                                       kAlongCodes[axis][downwards ? 1 : 0]);
        const auto plane = static_cast<std::int32_t>(planeCodes_) * low[0];
        edgeOffset[0][e] = inPlane + plane;
        edgeOffset[1][e] = inPlane - plane;
    }
    // ... and so, per cell configuration, where each triangle corner's point is.
    for (int index = 0; index < 256; ++index) {
        int t = 0;
        for (; t < 15 && kTriangleTable[index][t] != -1; ++t) {
            for (int parity = 0; parity < 2; ++parity)
                cornerOffsets_[parity][index][t] = edgeOffset[parity][kTriangleTable[index][t]];
        }
        cornerCounts_[index] = t;
    }
}

void ShellGeometry::evaluate() {
    const int ballCount = field_.ballCount;
    const int side = n_ + 1;
    float radiusSquared[kMaxBalls];
    bool adds[kMaxBalls];
    for (int b = 0; b < ballCount; ++b) {
        const Metaball& ball = field_.balls[b];
        radiusSquared[b] = ball.radius * ball.radius;
        adds[b] = ball.radius > 0.0f;
        for (int i = 0; i < side; ++i) {
            const float dx = px_[i] - ball.centre.x;
            const float dy = py_[i] - ball.centre.y;
            const float dz = pz_[i] - ball.centre.z;
            dx2_[b * side + i] = dx * dx;
            dy2_[b * side + i] = dy * dy;
            dz2_[b * stride_ + i] = dz * dz;
        }
    }

    // A ball that subtracts adds its term with the sign turned: x + (-a / b)
    // is x - a / b to the last bit.
    f4 signedRadiusSquared[kMaxBalls];
    for (int b = 0; b < ballCount; ++b) {
        signedRadiusSquared[b] = splat(adds[b] ? radiusSquared[b] : -radiusSquared[b]);
    }
    const f4 nearest = splat(kNearestSquaredDistance);
    const int chunks = stride_ / 4;
    f4 dxy2[kMaxBalls];
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            // d^2 = (dx^2 + dy^2) + dz^2, summed in that order as for a single node
            for (int b = 0; b < ballCount; ++b)
                dxy2[b] = splat(dx2_[b * side + i] + dy2_[b * side + j]);
            float* values = &values_[rowOf(i, j) * static_cast<std::size_t>(stride_)];
            for (int c = 0; c < chunks; ++c) {
                f4 value = splat(0.0f);
                for (int b = 0; b < ballCount; ++b) {
                    const f4 d2 = atLeast(dxy2[b] + load4(&dz2_[b * stride_ + 4 * c]), nearest);
                    value += signedRadiusSquared[b] / d2;
                }
                store4(values + 4 * c, value);
            }
        }
    }
}

std::size_t ShellGeometry::prepareLevel(float iso) {
    const int side = n_ + 1;
    const std::size_t stride = static_cast<std::size_t>(stride_);
    const std::uint64_t nodeBits = (std::uint64_t{1} << side) - 1;
    for (int r = 0; r < side * side; ++r) {
        const float* row = &values_[static_cast<std::size_t>(r) * stride];
        std::uint64_t bits = 0;
        for (int k = 0; k < stride_; k += 4) {
            bits |= static_cast<std::uint64_t>(lessMask(load4(row + k), iso)) << k;
        }
        below_[r] = bits & nodeBits;
    }

    // Plane by plane: the crossing points on the edges leaving plane i, then
    // the cells between planes i - 1 and i, whose edges are all known by then.
    // The edge codes are kept for two planes only, so they stay in cache.
    std::int32_t points = 0;
    std::size_t corners = 0;
    for (int i = 0; i <= n_; ++i) {
        addPlanePoints(i, iso, points);
        if (i > 0) corners = walkPlaneCells(i - 1, corners);
    }
    computeNormals(points);
    return corners;
}

// The crossing points of one level on the edges from plane i's nodes, one per
// crossed lattice edge and direction: cells that share an edge may walk it
// either way, and the interpolation's rounding depends on the way.
void ShellGeometry::addPlanePoints(int i, float iso, std::int32_t& points) {
    const int side = n_ + 1;
    const std::size_t stride = static_cast<std::size_t>(stride_);
    const std::size_t iStep = static_cast<std::size_t>(side) * stride;
    const std::uint64_t cellBits = (std::uint64_t{1} << n_) - 1;
    std::int32_t* codes = &edgeSlot_[static_cast<std::size_t>(i & 1) * planeCodes_];
    auto addPoint = [&](std::size_t code, std::size_t na, const Vector3& pa, std::size_t nb,
                        const Vector3& pb) {
        codes[code] = points;
        vertices_[points++] = interpolateCrossing(values_[na], pa, values_[nb], pb, iso);
    };
    // Walked the other way, an edge often gives the very same point: then it
    // shares the first one's slot, and its normal is computed once.
    auto addReversed = [&](std::size_t code, std::size_t na, const Vector3& pa, std::size_t nb,
                           const Vector3& pb) {
        const Vector3 v = interpolateCrossing(values_[na], pa, values_[nb], pb, iso);
        const Vector3& forward = vertices_[points - 1];
        if (std::memcmp(&v, &forward, sizeof v) == 0) {
            codes[code] = points - 1;
        } else {
            codes[code] = points;
            vertices_[points++] = v;
        }
    };
    for (int j = 0; j <= n_; ++j) {
        const std::uint64_t here = below_[rowOf(i, j)];
        const std::size_t rowBase = rowOf(i, j) * stride;
        const std::size_t codeBase = static_cast<std::size_t>(j) * stride;
        if (i < n_) {
            for (std::uint64_t x = here ^ below_[rowOf(i + 1, j)]; x != 0; x &= x - 1) {
                const auto k = static_cast<std::size_t>(__builtin_ctzll(x));
                const std::size_t na = rowBase + k;
                const Vector3 pa(px_[i], py_[j], pz_[k]);
                const Vector3 pb(px_[i + 1], py_[j], pz_[k]);
                addPoint((codeBase + k) * kCodes + kAlongIUp, na, pa, na + iStep, pb);
                addReversed((codeBase + k) * kCodes + kAlongIDown, na + iStep, pb, na, pa);
            }
        }
        if (j < n_) {
            for (std::uint64_t x = here ^ below_[rowOf(i, j + 1)]; x != 0; x &= x - 1) {
                const auto k = static_cast<std::size_t>(__builtin_ctzll(x));
                const std::size_t na = rowBase + k;
                addPoint((codeBase + k) * kCodes + kAlongJUp, na, Vector3(px_[i], py_[j], pz_[k]),
                         na + stride, Vector3(px_[i], py_[j + 1], pz_[k]));
            }
        }
        for (std::uint64_t x = (here ^ (here >> 1)) & cellBits; x != 0; x &= x - 1) {
            const auto k = static_cast<std::size_t>(__builtin_ctzll(x));
            const std::size_t na = rowBase + k;
            const Vector3 pa(px_[i], py_[j], pz_[k]);
            const Vector3 pb(px_[i], py_[j], pz_[k + 1]);
            addPoint((codeBase + k) * kCodes + kAlongKUp, na, pa, na + 1, pb);
            addReversed((codeBase + k) * kCodes + kAlongKDown, na + 1, pb, na, pa);
        }
    }
}

// The crossed cells between planes i and i + 1 in storage order, and their
// triangles' corners.
std::size_t ShellGeometry::walkPlaneCells(int i, std::size_t corners) {
    const std::size_t stride = static_cast<std::size_t>(stride_);
    const std::uint64_t cellBits = (std::uint64_t{1} << n_) - 1;
    const std::int32_t* codes = &edgeSlot_[static_cast<std::size_t>(i & 1) * planeCodes_];
    const auto& offsetsByIndex = cornerOffsets_[i & 1];
    std::int32_t* out = cornerSlots_.get();
    for (int j = 0; j < n_; ++j) {
        const std::uint64_t a = below_[rowOf(i, j)];
        const std::uint64_t b = below_[rowOf(i + 1, j)];
        const std::uint64_t c = below_[rowOf(i, j + 1)];
        const std::uint64_t d = below_[rowOf(i + 1, j + 1)];
        const std::uint64_t all = a & b & c & d;
        const std::uint64_t any = a | b | c | d;
        // cell k is uniform when bits k and k + 1 agree in all four rows
        std::uint64_t crossed = ~((all & (all >> 1)) | (~any & ~(any >> 1))) & cellBits;
        const std::size_t codeBase = static_cast<std::size_t>(j) * stride;
        while (crossed != 0) {
            const int k = __builtin_ctzll(crossed);
            crossed &= crossed - 1;
            const unsigned index = kFaceBits[((a >> k) & 3) | ((b >> k) & 3) << 2] |
                                   kFaceBits[((c >> k) & 3) | ((d >> k) & 3) << 2] << 4;
            const std::int32_t* slots = &codes[(codeBase + static_cast<std::size_t>(k)) * kCodes];
            const std::int32_t* offsets = offsetsByIndex[index];
            for (int t = 0; t < cornerCounts_[index]; ++t) out[corners++] = slots[offsets[t]];
        }
    }
    return corners;
}

void ShellGeometry::computeNormals(std::int32_t count) {
    const int ballCount = field_.ballCount;
    const f4 nearest = splat(kNearestSquaredDistance);
    const f4 infinity = splat(std::numeric_limits<float>::infinity());
    for (std::int32_t s = 0; s < count; s += 4) {
        f4 x, y, z;
        for (int l = 0; l < 4; ++l) {
            const Vector3& v = vertices_[std::min(s + l, count - 1)];
            x[l] = v.x;
            y[l] = v.y;
            z[l] = v.z;
        }
        f4 sx = splat(0.0f), sy = splat(0.0f), sz = splat(0.0f);
        for (int b = 0; b < ballCount; ++b) {
            const Metaball& ball = field_.balls[b];
            const f4 dx = x - splat(ball.centre.x);
            const f4 dy = y - splat(ball.centre.y);
            const f4 dz = z - splat(ball.centre.z);
            const f4 d2 = atLeast(dx * dx + dy * dy + dz * dz, nearest);
            const f4 weight = splat(2.0f * ball.radius) / (d2 * d2);
            sx += dx * weight;
            sy += dy * weight;
            sz += dz * weight;
        }
        // a zero or overflowing sum has no direction: such a normal stays (0, 0, 0)
        const f4 length = sqrtViaDouble(sx * sx + sy * sy + sz * sz);
        const auto usable = (length > splat(0.0f)) & (length < infinity);
        const f4 f = splat(1.0f) / length;
        const f4 zero = splat(0.0f);
        const f4 nx = usable ? sx * f : zero;
        const f4 ny = usable ? sy * f : zero;
        const f4 nz = usable ? sz * f : zero;
        for (int l = 0; l < 4; ++l) normals_[s + l] = Vector3(nx[l], ny[l], nz[l]);
    }
}

}  // namespace vorlune
