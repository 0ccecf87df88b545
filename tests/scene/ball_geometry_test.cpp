#include "scene/ball_geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <tuple>
#include <vector>

namespace vorlune {
namespace {

struct Corner {
    Vector3 normal;
    Vector3 vertex;
};

// Collects what a polygonisation emits, batch by batch.
struct MeshSink {
    std::vector<std::vector<Corner>> batches;
    bool open = false;

    void beginTriangles() {
        ASSERT_FALSE(open);
        open = true;
        batches.emplace_back();
    }
    void corner(const Vector3& n, const Vector3& v) {
        ASSERT_TRUE(open);
        batches.back().push_back({n, v});
    }
    void endTriangles() {
        ASSERT_TRUE(open);
        open = false;
    }
};

bool finite(const Vector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

float distance(const Vector3& a, const Vector3& b) {
    return (a - b).length();
}

std::unique_ptr<MetaballField> sceneAt(float t) {
    auto field = createSceneField(3);
    placeBalls(*field, t);
    evaluateField(*field);
    return field;
}

// Neighbouring cells interpolate a shared lattice edge from opposite ends, so
// the two copies of a vertex may differ in the last bits: weld within a tolerance.
class Welder {
  public:
    int idOf(const Vector3& v) {
        const auto cell = [](float c) { return static_cast<long>(std::floor(c / kCell)); };
        const long cx = cell(v.x), cy = cell(v.y), cz = cell(v.z);
        for (long dx = -1; dx <= 1; ++dx) {
            for (long dy = -1; dy <= 1; ++dy) {
                for (long dz = -1; dz <= 1; ++dz) {
                    const auto found = buckets_.find({cx + dx, cy + dy, cz + dz});
                    if (found == buckets_.end()) continue;
                    for (int id : found->second) {
                        if (distance(points_[id], v) < kTolerance) return id;
                    }
                }
            }
        }
        points_.push_back(v);
        const int id = static_cast<int>(points_.size()) - 1;
        buckets_[{cx, cy, cz}].push_back(id);
        return id;
    }
    const Vector3& point(int id) const { return points_[id]; }

  private:
    static constexpr float kCell = 1e-3f;
    static constexpr float kTolerance = 1e-5f;
    std::map<std::tuple<long, long, long>, std::vector<int>> buckets_;
    std::vector<Vector3> points_;
};

// Edges of the welded mesh used by only one triangle: the rim of an open surface.
std::vector<std::pair<Vector3, Vector3>> boundaryEdges(const std::vector<Corner>& corners) {
    Welder welder;
    std::map<std::pair<int, int>, int> uses;
    for (std::size_t t = 0; t + 2 < corners.size(); t += 3) {
        const int ids[3] = {welder.idOf(corners[t].vertex), welder.idOf(corners[t + 1].vertex),
                            welder.idOf(corners[t + 2].vertex)};
        for (int e = 0; e < 3; ++e) {
            const int a = ids[e], b = ids[(e + 1) % 3];
            ++uses[{std::min(a, b), std::max(a, b)}];
        }
    }
    std::vector<std::pair<Vector3, Vector3>> rim;
    for (const auto& [edge, count] : uses) {
        if (count == 1) rim.emplace_back(welder.point(edge.first), welder.point(edge.second));
        EXPECT_LE(count, 2);
    }
    return rim;
}

TEST(BallPaths, FollowTheLissajousTable) {
    auto field = createSceneField(3);
    EXPECT_EQ(field->resolution, 28);
    EXPECT_EQ(field->balls[1].centre, Vector3(-0.3f, -0.2f, 0.4f));

    placeBalls(*field, 0.0f);
    for (int b = 0; b < 5; ++b) EXPECT_EQ(field->balls[b].centre, Vector3(0.0f, 1.0f, 0.0f));

    const float t = 12.345f;
    placeBalls(*field, t);
    const float rate = 1.3f;
    const float angle = rate * t;  // narrowed before the cosine
    EXPECT_EQ(field->balls[0].centre.y, static_cast<float>(std::cos(static_cast<double>(angle))));
    EXPECT_EQ(field->balls[3].centre.x,
              static_cast<float>(std::sin(static_cast<double>(1.1f * t))));
    EXPECT_EQ(field->balls[4].centre.z,
              static_cast<float>(std::sin(static_cast<double>(0.5f * t))));
    const float radii[5] = {0.15f, 0.15f, 0.2f, 0.15f, 0.2f};
    for (int b = 0; b < 5; ++b) EXPECT_EQ(field->balls[b].radius, radii[b]);
}

TEST(EvaluateField, SumsSignedInverseSquares) {
    MetaballField field(3, 1.0f, 2);  // no node on either centre
    field.setBall(0, Vector3(0.0f, 0.0f, 0.0f), 0.5f);
    field.setBall(1, Vector3(1.0f, 0.0f, 0.0f), -0.25f);
    evaluateField(field);
    for (int n = 0; n < field.nodeCount(); ++n) {
        const Vector3 p = field.nodes[n].position;
        const float d0 = p.x * p.x + p.y * p.y + p.z * p.z;
        const float dx = p.x - 1.0f;
        const float d1 = dx * dx + p.y * p.y + p.z * p.z;
        float expected = 0.0f;
        expected += 0.25f / d0;
        expected -= 0.0625f / d1;
        EXPECT_EQ(field.nodes[n].value, expected) << n;
    }

    // at t = 0 the five balls sit together: one ball with radius^2 = 0.1475
    auto scene = sceneAt(0.0f);
    const FieldNode& node = scene->nodes[scene->nodeIndex(5, 20, 9)];
    const float d2 = (node.position - Vector3(0.0f, 1.0f, 0.0f)).length();
    EXPECT_NEAR(node.value, 0.1475f / (d2 * d2), 1e-6f);
}

TEST(InterpolateEdge, ExactRulesAndClamping) {
    FieldNode a{0.2f, Vector3(0.0f, 0.0f, 0.0f)};
    FieldNode b{0.0f, Vector3(1.0f, 2.0f, -4.0f)};
    EXPECT_EQ(interpolateEdge(a, b, 0.1f), Vector3(0.5f, 1.0f, -2.0f));
    EXPECT_EQ(interpolateEdge(a, b, 0.2f), a.position);  // first corner at the level
    EXPECT_EQ(interpolateEdge(a, b, 0.0f), b.position);  // second corner at the level
    b.value = 0.2f;
    EXPECT_EQ(interpolateEdge(a, b, 0.5f), a.position);  // equal values
    b.value = 0.1f;
    EXPECT_EQ(interpolateEdge(a, b, 0.9f), a.position);   // mu below 0 stays on the edge
    EXPECT_EQ(interpolateEdge(a, b, -0.3f), b.position);  // mu above 1 stays on the edge

    EXPECT_EQ(clampValue(-1.0f, 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(clampValue(2.0f, 0.0f, 1.0f), 1.0f);
    EXPECT_EQ(clampValue(0.25f, 0.0f, 1.0f), 0.25f);
    EXPECT_EQ(lerpClamped(2.0f, 4.0f, 0.25f), 2.5f);
    EXPECT_EQ(lerpClamped(2.0f, 4.0f, 7.0f), 4.0f);
}

TEST(PolygoniseCell, EmitsNothingWhenNoCornerIsCrossed) {
    MetaballField field(1, 1.0f, 1);
    field.setBall(0, Vector3(5.0f, 5.0f, 5.0f), 0.1f);
    MeshSink sink;
    sink.beginTriangles();
    for (float value : {0.05f, 0.1f, 0.3f}) {  // all below, all exactly at, all above
        for (int n = 0; n < 8; ++n) field.nodes[n].value = value;
        polygoniseCell(field, field.cells[0], 0.1f, sink);
    }
    sink.endTriangles();
    EXPECT_TRUE(sink.batches[0].empty());

    // corner 0 below the level: configuration 1, one triangle on edges 0, 8, 3
    field.nodes[0].value = 0.0f;
    sink.beginTriangles();
    polygoniseCell(field, field.cells[0], 0.1f, sink);
    sink.endTriangles();
    ASSERT_EQ(sink.batches[1].size(), 3u);
    const Vector3 c0 = field.cells[0].corner[0]->position;
    const Vector3 c1 = field.cells[0].corner[1]->position;
    const Vector3 expected =
        interpolateEdge(*field.cells[0].corner[0], *field.cells[0].corner[1], 0.1f);
    EXPECT_EQ(sink.batches[1][0].vertex, expected);
    EXPECT_GT(expected.x, c0.x);
    EXPECT_LT(expected.x, c1.x);
    EXPECT_EQ(sink.batches[1][0].normal, fieldNormal(field, expected));
}

TEST(Shells, AtTimeZeroInnerSphereIsClosedAndOuterShellOpenAtTheTop) {
    auto field = sceneAt(0.0f);
    MeshSink sink;
    polygoniseShells(*field, sink);
    ASSERT_EQ(sink.batches.size(), 2u);
    const auto& outer = sink.batches[0];
    const auto& inner = sink.batches[1];
    ASSERT_GT(inner.size(), 300u);
    ASSERT_GT(outer.size(), inner.size());
    ASSERT_EQ(inner.size() % 3, 0u);

    const Vector3 centre(0.0f, 1.0f, 0.0f);
    // r^2 / d^2 = level: the inner sphere has radius sqrt(0.1475 / 0.15)
    const float innerRadius = std::sqrt(0.1475f / 0.15f);
    const float outerRadius = std::sqrt(0.1475f / 0.1f);
    for (const Corner& c : inner) {
        EXPECT_NEAR(distance(c.vertex, centre), innerRadius, 0.01f);
        EXPECT_NEAR(c.normal.length(), 1.0f, 1e-5f);
        // outward: along (vertex - centre)
        const Vector3 radial = c.vertex - centre;
        EXPECT_GT(radial.x * c.normal.x + radial.y * c.normal.y + radial.z * c.normal.z,
                  0.99f * radial.length());
    }
    EXPECT_TRUE(boundaryEdges(inner).empty()) << "the inner shell is closed";

    const float top = field->nodes[field->nodeIndex(0, 28, 0)].position.y;
    for (const Corner& c : outer) {
        EXPECT_NEAR(distance(c.vertex, centre), outerRadius, 0.02f);
        EXPECT_LE(c.vertex.y, top);
    }
    const auto rim = boundaryEdges(outer);
    ASSERT_FALSE(rim.empty()) << "the outer shell reaches past the lattice";
    for (const auto& [a, b] : rim) {
        EXPECT_EQ(a.y, top);
        EXPECT_EQ(b.y, top);
    }
}

TEST(Shells, SameTimeSameTriangles) {
    MeshSink first, second;
    polygoniseShells(*sceneAt(37.25f), first);
    auto field = sceneAt(1000.0f);
    placeBalls(*field, 37.25f);
    evaluateField(*field);
    polygoniseShells(*field, second);
    ASSERT_EQ(first.batches.size(), second.batches.size());
    for (std::size_t b = 0; b < first.batches.size(); ++b) {
        ASSERT_EQ(first.batches[b].size(), second.batches[b].size());
        for (std::size_t i = 0; i < first.batches[b].size(); ++i) {
            ASSERT_EQ(first.batches[b][i].vertex, second.batches[b][i].vertex);
            ASSERT_EQ(first.batches[b][i].normal, second.batches[b][i].normal);
        }
    }
}

// FNV-1a over the bits of every emitted float, in emission order.
struct FingerprintSink {
    std::uint64_t hash = 1469598103934665603ull;
    long corners = 0;

    void beginTriangles() { mix(0xB0u); }
    void endTriangles() { mix(0xE0u); }
    void corner(const Vector3& n, const Vector3& v) {
        for (float f : {n.x, n.y, n.z, v.x, v.y, v.z}) {
            std::uint32_t bits;
            std::memcpy(&bits, &f, sizeof bits);
            mix(bits);
        }
        ++corners;
    }
    void mix(std::uint32_t word) {
        for (int i = 0; i < 4; ++i) hash = (hash ^ ((word >> (8 * i)) & 0xFFu)) * 1099511628211ull;
    }
};

TEST(Shells, EveryBitIsTheSameOnEveryCompiler) {
    // The surface depends on sine and cosine of the C library and on the
    // single-precision order of operations; both builds must agree exactly.
    const struct {
        float t;
        long corners;
        std::uint64_t hash;
    } frames[] = {
        {0.0f, 13092, 0x7ad289724bfcd5e6ull},          {1.5f, 15144, 0xd96447c169edf736ull},
        {200.0f / 3.0f, 17664, 0xab0b745f0d7861f5ull}, {3600.0f, 16836, 0x85d32d58b4d57d69ull},
        {129600.0f, 17808, 0xda4b5cebad4f9d5bull},
    };
    for (const auto& frame : frames) {
        FingerprintSink sink;
        polygoniseShells(*sceneAt(frame.t), sink);
        EXPECT_EQ(sink.corners, frame.corners) << "t = " << frame.t;
        EXPECT_EQ(sink.hash, frame.hash) << std::hex << "t = " << frame.t;
    }
}

TEST(Shells, BallsOnNodesOrCancellingYieldNoNaN) {
    // Ball centres exactly on lattice nodes, including a negative ball on the
    // same node as a positive one and a ball of radius zero.
    MetaballField field(6, 1.0f, 4);
    const Vector3 onNode = field.nodes[field.nodeIndex(3, 3, 3)].position;
    const Vector3 onOther = field.nodes[field.nodeIndex(2, 3, 3)].position;
    field.setBall(0, onNode, 0.3f);
    field.setBall(1, onNode, -0.1f);
    field.setBall(2, onOther, 0.0f);
    field.setBall(3, onOther, 0.2f);
    evaluateField(field);
    for (int n = 0; n < field.nodeCount(); ++n)
        ASSERT_TRUE(std::isfinite(field.nodes[n].value)) << n;

    for (float level : {0.1f, 0.15f, 1.0f}) {
        MeshSink sink;
        polygonise(field, level, sink);
        ASSERT_FALSE(sink.batches[0].empty()) << level;
        for (const Corner& c : sink.batches[0]) {
            ASSERT_TRUE(finite(c.vertex));
            ASSERT_TRUE(finite(c.normal));
        }
    }

    // a normal taken at a lone ball's centre sums to zero and stays (0, 0, 0)
    MetaballField lone(2, 1.0f, 1);
    lone.setBall(0, Vector3(0.25f, 0.5f, 0.0f), 0.2f);
    EXPECT_EQ(fieldNormal(lone, Vector3(0.25f, 0.5f, 0.0f)), Vector3());
    EXPECT_EQ(fieldNormal(lone, Vector3(1.25f, 0.5f, 0.0f)), Vector3(1.0f, 0.0f, 0.0f));
    lone.setBall(0, Vector3(0.25f, 0.5f, 0.0f), -0.2f);
    EXPECT_EQ(fieldNormal(lone, Vector3(1.25f, 0.5f, 0.0f)), Vector3(-1.0f, 0.0f, 0.0f));
}

}  // namespace
}  // namespace vorlune
