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

// Each lane's square root as squareRoot gives it narrowed to single precision.
// A double has more than twice a float's digits plus two, so rounding the root
// to double and then to float gives the float-rounded root itself: the single
// precision instruction returns the same bits without the conversions.
f4 squareRoots(f4 v) {
#if defined(__SSE2__)
    return reinterpret_cast<f4>(_mm_sqrt_ps(reinterpret_cast<__m128>(v)));
#else
    f4 r;
    for (int l = 0; l < 4; ++l) r[l] = static_cast<float>(squareRoot(v[l]));
    return r;
#endif
}

// Four points, one vector per axis.
struct Axes {
    f4 x, y, z;
};

// Four packed points, (x0 y0 z0 x1) (y1 z1 x2 y2) (z2 x3 y3 z3), turned into
// one vector per axis by shuffles...
Axes loadAxes(const Vector3* points) {
    const auto* in = reinterpret_cast<const unsigned char*>(points);
    f4 a, b, c;
    std::memcpy(&a, in, sizeof a);
    std::memcpy(&b, in + 16, sizeof b);
    std::memcpy(&c, in + 32, sizeof c);
    return {__builtin_shufflevector(__builtin_shufflevector(a, b, 0, 3, 6, 0), c, 0, 1, 2, 5),
            __builtin_shufflevector(__builtin_shufflevector(a, b, 1, 4, 7, 0), c, 0, 1, 2, 6),
            __builtin_shufflevector(__builtin_shufflevector(a, b, 2, 5, 0, 0), c, 0, 1, 4, 7)};
}

// ... and back.
void storeAxes(Vector3* points, const Axes& p) {
    const f4 first =
        __builtin_shufflevector(__builtin_shufflevector(p.x, p.y, 0, 4, 0, 1), p.z, 0, 1, 4, 3);
    const f4 second =
        __builtin_shufflevector(__builtin_shufflevector(p.y, p.z, 1, 5, 0, 2), p.x, 0, 1, 6, 3);
    const f4 third =
        __builtin_shufflevector(__builtin_shufflevector(p.z, p.x, 2, 7, 0, 3), p.y, 0, 1, 7, 3);
    auto* out = reinterpret_cast<unsigned char*>(points);
    std::memcpy(out, &first, sizeof first);
    std::memcpy(out + 16, &second, sizeof second);
    std::memcpy(out + 32, &third, sizeof third);
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
    : field_(field),
      n_(field.resolution),
      stride_((field.resolution + 1 + 7) / 8 * 8),
      chunks_(stride_ / 8),
      chunkLanes_((chunks_ + 3) / 4 * 4) {
    if (n_ > 62) throw std::invalid_argument("ShellGeometry: at most 62 cells a side");
    allocateBuffers();
    readNodeCoordinates();
    boundNeighbourhoods();
    buildCornerOffsets();
}

void ShellGeometry::allocateBuffers() {
    const auto side = static_cast<std::size_t>(n_ + 1);
    const auto stride = static_cast<std::size_t>(stride_);
    const auto lanes = static_cast<std::size_t>(chunkLanes_);
    const auto balls = static_cast<std::size_t>(kMaxBalls);
    nodeSlots_ = side * side * stride;
    planeNodes_ = side * stride;
    planeCodes_ = planeNodes_ * kCodes;

    px_ = std::make_unique<float[]>(side);
    py_ = std::make_unique<float[]>(side);
    pz_ = std::make_unique<float[]>(stride);
    dx2_ = std::make_unique<float[]>(balls * side);
    dy2_ = std::make_unique<float[]>(balls * side);
    // the padding past the last node holds 1: harmless values, never read as nodes
    dz2_ = std::make_unique<float[]>(balls * stride);
    std::fill_n(dz2_.get(), balls * stride, 1.0f);

    boxX_ = std::make_unique<float[]>(side * 2);
    boxY_ = std::make_unique<float[]>(side * 2);
    boxZ_ = std::make_unique<float[]>(lanes * 2);
    gapX2_ = std::make_unique<float[]>(balls * side);
    gapY2_ = std::make_unique<float[]>(balls * side);
    gapZ2_ = std::make_unique<float[]>(balls * lanes);
    ceiling_ = std::make_unique<float[]>(side * side * lanes);
    evaluated_ = std::make_unique<std::uint8_t[]>(side * side * static_cast<std::size_t>(chunks_));

    values_ = std::make_unique<float[]>(nodeSlots_);
    below_ = std::make_unique<std::uint64_t[]>(side * side);
    edgeList_ = std::make_unique<std::int32_t[]>(3 * planeNodes_);
    edgeSlot_ = std::make_unique<std::int32_t[]>(2 * planeCodes_);
    // at most five points per node (two along i and k, one along j), five
    // triangles per cell; the normals are computed four at a time
    vertices_ = std::make_unique<Vector3[]>(nodeSlots_ * 5 + 3);
    normals_ = std::make_unique<Vector3[]>(nodeSlots_ * 5 + 3);
    cornerSlots_ =
        std::make_unique<std::int32_t[]>(static_cast<std::size_t>(field_.cellCount()) * 15);
}

void ShellGeometry::readNodeCoordinates() {
    for (int i = 0; i <= n_; ++i) {
        px_[i] = field_.nodes[field_.nodeIndex(i, 0, 0)].position.x;
        py_[i] = field_.nodes[field_.nodeIndex(0, i, 0)].position.y;
        pz_[i] = field_.nodes[field_.nodeIndex(0, 0, i)].position.z;
    }
}

// Each row's chunk of eight nodes with its neighbours one node away on every
// side: the box whose field bounds the chunk's and its neighbours'.
void ShellGeometry::boundNeighbourhoods() {
    auto span = [&](const float* p, int from, int to, float* box) {
        from = std::max(from, 0);
        to = std::min(to, n_);
        box[0] = *std::min_element(p + from, p + to + 1);
        box[1] = *std::max_element(p + from, p + to + 1);
    };
    for (int i = 0; i <= n_; ++i) {
        span(px_.get(), i - 1, i + 1, &boxX_[2 * static_cast<std::size_t>(i)]);
        // rows j and j + 1 for even j share one box and so one bound: half the divisions
        span(py_.get(), i / 2 * 2 - 1, i / 2 * 2 + 2, &boxY_[2 * static_cast<std::size_t>(i)]);
    }
    for (int c = 0; c < chunkLanes_; ++c) {
        // lanes past the last chunk get the last node's place: bounded, never used
        const int first = std::min(8 * c, n_);
        span(pz_.get(), first - 1, first + 8, &boxZ_[2 * static_cast<std::size_t>(c)]);
    }
}

void ShellGeometry::buildCornerOffsets() {
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

namespace {

// The squared distance from c to the nearest point of [low, high], rounded as
// a node's offset would be: rounding is monotonic, so no node in the interval
// rounds to a smaller square.
float squaredGap(float low, float high, float c) {
    float gap = 0.0f;
    if (c < low) gap = low - c;
    if (c > high) gap = c - high;
    return gap * gap;
}

}  // namespace

void ShellGeometry::evaluate() {
    const bool finite = takeBalls();
    const auto side = static_cast<std::size_t>(n_ + 1);
    std::memset(evaluated_.get(), 0, side * side * static_cast<std::size_t>(chunks_));
    boundChunks(finite);
}

// Each ball's squared offsets from the node coordinates and squared gaps from
// the neighbourhood boxes, axis by axis. False when a ball's place or size is
// not finite.
bool ShellGeometry::takeBalls() {
    ballCount_ = field_.ballCount;
    const int side = n_ + 1;
    const auto lanes = static_cast<std::size_t>(chunkLanes_);
    bool finite = true;
    for (int b = 0; b < ballCount_; ++b) {
        const Metaball& ball = field_.balls[b];
        const float radiusSquared = ball.radius * ball.radius;
        // A ball that subtracts adds its term with the sign turned: x + (-a / b)
        // is x - a / b to the last bit.
        signedRadiusSquared_[b] = ball.radius > 0.0f ? radiusSquared : -radiusSquared;
        finite = finite && std::isfinite(radiusSquared) && std::isfinite(ball.centre.x) &&
                 std::isfinite(ball.centre.y) && std::isfinite(ball.centre.z);
        for (int i = 0; i < side; ++i) {
            const float dx = px_[i] - ball.centre.x;
            const float dy = py_[i] - ball.centre.y;
            const float dz = pz_[i] - ball.centre.z;
            dx2_[b * side + i] = dx * dx;
            dy2_[b * side + i] = dy * dy;
            dz2_[b * stride_ + i] = dz * dz;
            gapX2_[b * side + i] = squaredGap(boxX_[2 * i], boxX_[2 * i + 1], ball.centre.x);
            gapY2_[b * side + i] = squaredGap(boxY_[2 * i], boxY_[2 * i + 1], ball.centre.y);
        }
        for (std::size_t c = 0; c < lanes; ++c)
            gapZ2_[b * lanes + c] = squaredGap(boxZ_[2 * c], boxZ_[2 * c + 1], ball.centre.z);
    }
    return finite;
}

// Most of the lattice lies far from every ball. For each chunk the same sum is
// taken over the adding balls only, at the box's nearest point: every step is a
// rounded add, multiply or divide, monotonic in its operands, so the ceiling is
// at least every node value in the box, bit for bit. A level above the ceiling
// finds the chunk all below without dividing per node, and no edge of the
// chunk's nodes crosses it. Balls that are not all finite bound nothing.
void ShellGeometry::boundChunks(bool finite) {
    const int side = n_ + 1;
    const auto lanes = static_cast<std::size_t>(chunkLanes_);
    const f4 nearest = splat(kNearestSquaredDistance);
    const float unbounded = std::numeric_limits<float>::infinity();
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            float* ceiling = &ceiling_[rowOf(i, j) * lanes];
            if (j % 2 == 1) {
                std::copy_n(ceiling - lanes, lanes, ceiling);
                continue;
            }
            if (!finite) {
                std::fill_n(ceiling, lanes, unbounded);
                continue;
            }
            for (std::size_t c = 0; c < lanes; c += 4) {
                f4 sum = splat(0.0f);
                for (int b = 0; b < ballCount_; ++b) {
                    if (!(signedRadiusSquared_[b] > 0.0f)) continue;
                    const f4 gap2 = atLeast(splat(gapX2_[b * side + i] + gapY2_[b * side + j]) +
                                                load4(&gapZ2_[b * lanes + c]),
                                            nearest);
                    sum += splat(signedRadiusSquared_[b]) / gap2;
                }
                store4(ceiling + c, sum);
            }
        }
    }
}

// Sums the field at chunk c of row (i, j): eight nodes, ball by ball.
void ShellGeometry::evaluateChunk(int i, int j, int c) {
    const int side = n_ + 1;
    const f4 nearest = splat(kNearestSquaredDistance);
    f4 low = splat(0.0f), high = splat(0.0f);
    for (int b = 0; b < ballCount_; ++b) {
        // d^2 = (dx^2 + dy^2) + dz^2, summed in that order as for a single node
        const f4 dxy2 = splat(dx2_[b * side + i] + dy2_[b * side + j]);
        const float* dz2 = &dz2_[b * stride_ + 8 * c];
        const f4 r2 = splat(signedRadiusSquared_[b]);
        low += r2 / atLeast(dxy2 + load4(dz2), nearest);
        high += r2 / atLeast(dxy2 + load4(dz2 + 4), nearest);
    }
    float* values =
        &values_[rowOf(i, j) * static_cast<std::size_t>(stride_) + 8 * static_cast<std::size_t>(c)];
    store4(values, low);
    store4(values + 4, high);
    evaluated_[rowOf(i, j) * static_cast<std::size_t>(chunks_) + static_cast<std::size_t>(c)] = 1;
}

float ShellGeometry::value(int i, int j, int k) const {
    const std::size_t row = rowOf(i, j);
    if (evaluated_[row * static_cast<std::size_t>(chunks_) + static_cast<std::size_t>(k / 8)])
        return values_[row * static_cast<std::size_t>(stride_) + static_cast<std::size_t>(k)];
    // not needed by any level yet: summed here the same way
    const int side = n_ + 1;
    float sum = 0.0f;
    for (int b = 0; b < ballCount_; ++b) {
        const float d2 = (dx2_[b * side + i] + dy2_[b * side + j]) + dz2_[b * stride_ + k];
        sum +=
            signedRadiusSquared_[b] / (d2 < kNearestSquaredDistance ? kNearestSquaredDistance : d2);
    }
    return sum;
}

std::size_t ShellGeometry::prepareLevel(float iso) {
    const int side = n_ + 1;
    const std::size_t stride = static_cast<std::size_t>(stride_);
    const auto lanes = static_cast<std::size_t>(chunkLanes_);
    const std::uint64_t nodeBits = (std::uint64_t{1} << side) - 1;
    for (int i = 0; i < side; ++i) {
        for (int j = 0; j < side; ++j) {
            const std::size_t r = rowOf(i, j);
            const float* row = &values_[r * stride];
            std::uint64_t bits = 0;
            for (int c = 0; c < chunks_; ++c) {
                std::uint64_t chunk = 0xFF;
                if (!(iso > ceiling_[r * lanes + static_cast<std::size_t>(c)])) {
                    if (!evaluated_[r * static_cast<std::size_t>(chunks_) +
                                    static_cast<std::size_t>(c)])
                        evaluateChunk(i, j, c);
                    chunk = lessMask(load4(row + 8 * c), iso) |
                            lessMask(load4(row + 8 * c + 4), iso) << 4;
                }
                bits |= chunk << (8 * c);
            }
            below_[r] = bits & nodeBits;
        }
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

// The crossed edges from plane i's nodes as three lists in edgeList_, one per
// direction, appended to without a branch: the points are then computed one
// loop per list. Looping over a row's bits direction by direction ends each
// loop at a different count and mispredicts every end: that cost more than
// the points themselves.
ShellGeometry::CrossedEdges ShellGeometry::listCrossedEdges(int i) {
    const std::uint64_t cellBits = (std::uint64_t{1} << n_) - 1;
    std::int32_t* const lists[3] = {edgeList_.get(), edgeList_.get() + planeNodes_,
                                    edgeList_.get() + 2 * planeNodes_};
    CrossedEdges counts{};
    for (int j = 0; j <= n_; ++j) {
        const std::uint64_t here = below_[rowOf(i, j)];
        const std::uint64_t alongI = i < n_ ? here ^ below_[rowOf(i + 1, j)] : 0;
        const std::uint64_t alongJ = j < n_ ? here ^ below_[rowOf(i, j + 1)] : 0;
        const std::uint64_t alongK = (here ^ (here >> 1)) & cellBits;
        const std::int32_t rowStart = j << 6;  // j and k packed: k < 64
        for (std::uint64_t x = alongI | alongJ | alongK; x != 0; x &= x - 1) {
            const int k = __builtin_ctzll(x);
            lists[0][counts[0]] = rowStart + k;
            counts[0] += (alongI >> k) & 1;
            lists[1][counts[1]] = rowStart + k;
            counts[1] += (alongJ >> k) & 1;
            lists[2][counts[2]] = rowStart + k;
            counts[2] += (alongK >> k) & 1;
        }
    }
    return counts;
}

// The crossing points of one level on the edges from plane i's nodes, one per
// crossed lattice edge and direction: cells that share an edge may walk it
// either way, and the interpolation's rounding depends on the way.
void ShellGeometry::addPlanePoints(int i, float iso, std::int32_t& points) {
    const int side = n_ + 1;
    const std::size_t stride = static_cast<std::size_t>(stride_);
    const std::size_t iStep = static_cast<std::size_t>(side) * stride;
    std::int32_t* codes = &edgeSlot_[static_cast<std::size_t>(i & 1) * planeCodes_];
    const CrossedEdges counts = listCrossedEdges(i);
    const std::int32_t* const lists[3] = {edgeList_.get(), edgeList_.get() + planeNodes_,
                                          edgeList_.get() + 2 * planeNodes_};
    const float* values = &values_[rowOf(i, 0) * stride];
    // a listed edge's first node, and the places of its ends
    auto nodeOf = [&](std::int32_t packed) {
        return static_cast<std::size_t>(packed >> 6) * stride +
               static_cast<std::size_t>(packed & 63);
    };
    auto at = [&](std::int32_t packed, int di, int dj, int dk) {
        return Vector3(px_[i + di], py_[(packed >> 6) + dj], pz_[(packed & 63) + dk]);
    };
    auto addPoint = [&](std::size_t code, float va, const Vector3& pa, float vb,
                        const Vector3& pb) {
        codes[code] = points;
        vertices_[points++] = interpolateCrossing(va, pa, vb, pb, iso);
    };
    // Walked the other way, an edge often gives the very same point: then it
    // shares the first one's slot, and its normal is computed once.
    auto addReversed = [&](std::size_t code, float va, const Vector3& pa, float vb,
                           const Vector3& pb) {
        // written either way and kept only when new: which one it is follows
        // no pattern, so a branch on it would mostly be mispredicted
        const Vector3 v = interpolateCrossing(va, pa, vb, pb, iso);
        const std::int32_t same = std::memcmp(&v, &vertices_[points - 1], sizeof v) == 0 ? 1 : 0;
        vertices_[points] = v;
        codes[code] = points - same;
        points += 1 - same;
    };
    for (std::size_t e = 0; e < counts[0]; ++e) {
        const std::int32_t packed = lists[0][e];
        const std::size_t node = nodeOf(packed);
        const float va = values[node], vb = values[node + iStep];
        const Vector3 pa = at(packed, 0, 0, 0), pb = at(packed, 1, 0, 0);
        addPoint(node * kCodes + kAlongIUp, va, pa, vb, pb);
        addReversed(node * kCodes + kAlongIDown, vb, pb, va, pa);
    }
    for (std::size_t e = 0; e < counts[1]; ++e) {
        const std::int32_t packed = lists[1][e];
        const std::size_t node = nodeOf(packed);
        addPoint(node * kCodes + kAlongJUp, values[node], at(packed, 0, 0, 0),
                 values[node + stride], at(packed, 0, 1, 0));
    }
    for (std::size_t e = 0; e < counts[2]; ++e) {
        const std::int32_t packed = lists[2][e];
        const std::size_t node = nodeOf(packed);
        const float va = values[node], vb = values[node + 1];
        const Vector3 pa = at(packed, 0, 0, 0), pb = at(packed, 0, 0, 1);
        addPoint(node * kCodes + kAlongKUp, va, pa, vb, pb);
        addReversed(node * kCodes + kAlongKDown, vb, pb, va, pa);
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
            // Most cells have one or two triangles: six corners are copied
            // whatever the count (the unused offsets are 0, a readable code)
            // so that the copy's end is no branch to mispredict.
            for (int t = 0; t < 6; ++t)
                out[corners + static_cast<std::size_t>(t)] = slots[offsets[t]];
            const int count = cornerCounts_[index];
            for (int t = 6; t < count; ++t)
                out[corners + static_cast<std::size_t>(t)] = slots[offsets[t]];
            corners += static_cast<std::size_t>(count);
        }
    }
    return corners;
}

static_assert(sizeof(Vector3) == 3 * sizeof(float), "points are read as packed floats");

void ShellGeometry::computeNormals(std::int32_t count) {
    // the balls' constants splatted once, not per group of points
    const int ballCount = field_.ballCount;
    f4 cx[kMaxBalls], cy[kMaxBalls], cz[kMaxBalls], twiceRadius[kMaxBalls];
    for (int b = 0; b < ballCount; ++b) {
        const Metaball& ball = field_.balls[b];
        cx[b] = splat(ball.centre.x);
        cy[b] = splat(ball.centre.y);
        cz[b] = splat(ball.centre.z);
        twiceRadius[b] = splat(2.0f * ball.radius);
    }
    const f4 nearest = splat(kNearestSquaredDistance);
    const f4 infinity = splat(std::numeric_limits<float>::infinity());
    const f4 zero = splat(0.0f);
    // Four points at a time. Points past the count are earlier frames'
    // leftovers: their normals are computed and never used.
    for (std::int32_t s = 0; s < count; s += 4) {
        const auto [x, y, z] = loadAxes(&vertices_[s]);
        f4 sx = zero, sy = zero, sz = zero;
        for (int k = 0; k < ballCount; ++k) {
            const f4 dx = x - cx[k];
            const f4 dy = y - cy[k];
            const f4 dz = z - cz[k];
            const f4 d2 = atLeast(dx * dx + dy * dy + dz * dz, nearest);
            const f4 weight = twiceRadius[k] / (d2 * d2);
            sx += dx * weight;
            sy += dy * weight;
            sz += dz * weight;
        }
        // a zero or overflowing sum has no direction: such a normal stays (0, 0, 0)
        const f4 length = squareRoots(sx * sx + sy * sy + sz * sz);
        const auto usable = (length > zero) & (length < infinity);
        const f4 f = splat(1.0f) / length;
        const f4 nx = usable ? sx * f : zero;
        const f4 ny = usable ? sy * f : zero;
        const f4 nz = usable ? sz * f : zero;
        storeAxes(&normals_[s], {nx, ny, nz});
    }
}

}  // namespace vorlune
