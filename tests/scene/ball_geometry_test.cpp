#include "scene/ball_geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <stdexcept>

#include "triangle_recorder.hpp"

namespace vorlune {
namespace {

std::unique_ptr<MetaballField> sceneAt(float t) {
    auto field = createSceneField(3);
    placeBalls(*field, t);
    evaluateField(*field);
    return field;
}

TEST(MarchingCubesTables, EveryRowUsesExactlyTheCrossedEdgesOfThePublishedTables) {
    int triangles = 0;
    std::uint64_t hash = 1469598103934665603ull;
    auto mix = [&hash](int v) { hash = (hash ^ static_cast<std::uint32_t>(v)) * 1099511628211ull; };
    for (int index = 0; index < 256; ++index) {
        unsigned used = 0;
        int n = 0;
        for (; n < 16 && kTriangleTable[index][n] != -1; ++n) {
            const int e = kTriangleTable[index][n];
            ASSERT_TRUE(e >= 0 && e < 12) << "row " << index;
            used |= 1u << e;
        }
        ASSERT_TRUE(n % 3 == 0 && n <= 15) << "row " << index;
        EXPECT_EQ(used, kEdgeTable[index]) << "row " << index;
        triangles += n / 3;
        mix(kEdgeTable[index]);
        for (int i = 0; i < 16; ++i) mix(kTriangleTable[index][i]);
    }
    EXPECT_EQ(triangles, 820);
    // every entry as published, the order of each row's edges included
    EXPECT_EQ(hash, 0x633f84704a1a2af9ull) << std::hex << hash;
}

TEST(MetaballField, RefusesAShapeItCannotHoldAndIgnoresBallsOutsideIt) {
    EXPECT_THROW(MetaballField(0, 1.0f, 1), std::invalid_argument);
    EXPECT_THROW(MetaballField(4, 1.0f, kMaxBalls + 1), std::invalid_argument);

    MetaballField field(2, 1.0f, 2);
    field.setBall(1, Vector3(1.0f, 2.0f, 3.0f), 0.5f);
    field.setBall(2, Vector3(9.0f, 9.0f, 9.0f), 9.0f);
    field.setBall(-1, Vector3(9.0f, 9.0f, 9.0f), 9.0f);
    EXPECT_EQ(field.balls[0].radius, 0.0f);
    EXPECT_EQ(field.balls[1].centre, Vector3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(field.balls[1].radius, 0.5f);
}

TEST(InterpolateEdge, StaysOnTheEdgeAndNeverDividesByZero) {
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
}

// Twice the vector area of the triangles and the volume they enclose, seen
// from centre: a closed surface leaves no vector area over.
struct Enclosure {
    double area[3] = {};
    double volume = 0.0;
};

Enclosure enclosureOf(const std::vector<TriangleCorner>& corners, const Vector3& centre) {
    Enclosure e;
    for (std::size_t t = 0; t + 2 < corners.size(); t += 3) {
        double p[3][3];
        for (int c = 0; c < 3; ++c) {
            const Vector3 v = corners[t + c].vertex - centre;
            p[c][0] = v.x;
            p[c][1] = v.y;
            p[c][2] = v.z;
        }
        for (int i = 0; i < 3; ++i) {
            const int j = (i + 1) % 3, k = (i + 2) % 3;
            e.area[i] += (p[1][j] - p[0][j]) * (p[2][k] - p[0][k]) -
                         (p[1][k] - p[0][k]) * (p[2][j] - p[0][j]);
            e.volume += p[0][i] * (p[1][j] * p[2][k] - p[1][k] * p[2][j]);
        }
    }
    e.volume /= 6.0;
    return e;
}

TEST(Shells, AtTimeZeroTheInnerSphereIsClosedAndTheOuterShellOpenAtTheTop) {
    auto field = sceneAt(0.0f);
    TriangleRecorder shells;
    polygoniseShells(*field, shells);
    ASSERT_EQ(shells.batches.size(), 2u);
    const auto& outer = shells.batches[0];
    const auto& inner = shells.batches[1];
    ASSERT_GT(inner.size(), 300u);
    ASSERT_GT(outer.size(), inner.size());

    // The five balls sit together at (0, 1, 0): one ball with r^2 = 0.1475,
    // whose field r^2 / d^2 meets each level on a sphere.
    const Vector3 centre(0.0f, 1.0f, 0.0f);
    const float innerRadius = std::sqrt(0.1475f / 0.15f);
    const float outerRadius = std::sqrt(0.1475f / 0.1f);
    for (const TriangleCorner& c : inner) {
        const Vector3 radial = c.vertex - centre;
        EXPECT_NEAR(radial.length(), innerRadius, 0.01f);
        EXPECT_NEAR(c.normal.length(), 1.0f, 1e-5f);
        EXPECT_GT(radial.x * c.normal.x + radial.y * c.normal.y + radial.z * c.normal.z,
                  0.99f * radial.length())
            << "the normal points outwards";
    }
    const Enclosure sphere = enclosureOf(inner, centre);
    for (double a : sphere.area) EXPECT_NEAR(a, 0.0, 1e-4) << "the inner shell is closed";
    const double ball = 4.0 / 3.0 * std::numbers::pi * std::pow(innerRadius, 3);
    EXPECT_NEAR(std::fabs(sphere.volume), ball, 0.02 * ball);

    // The outer sphere reaches past the lattice's top plane: the opening is a
    // disc in that plane, so the leftover vector area points straight up.
    const float top = field->nodes[field->nodeIndex(0, 28, 0)].position.y;
    for (const TriangleCorner& c : outer) {
        EXPECT_NEAR((c.vertex - centre).length(), outerRadius, 0.02f);
        EXPECT_LE(c.vertex.y, top);
    }
    const Enclosure open = enclosureOf(outer, centre);
    const double above = top - centre.y;
    const double disc = std::numbers::pi * (outerRadius * outerRadius - above * above);
    EXPECT_NEAR(open.area[0], 0.0, 1e-4);
    EXPECT_NEAR(open.area[2], 0.0, 1e-4);
    EXPECT_NEAR(std::fabs(open.area[1]), 2.0 * disc, 0.1 * disc);
}

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
        TriangleRecorder sink(false);
        polygoniseShells(*sceneAt(frame.t), sink);
        EXPECT_EQ(sink.corners, frame.corners) << "t = " << frame.t;
        EXPECT_EQ(sink.hash, frame.hash) << std::hex << "t = " << frame.t;
    }
}

TEST(FieldNormal, IsZeroWhereTheBallsBalance) {
    // at a lone ball's centre the sum is zero, and normalising it would make NaNs
    MetaballField lone(2, 1.0f, 1);
    lone.setBall(0, Vector3(0.25f, 0.5f, 0.0f), 0.2f);
    EXPECT_EQ(fieldNormal(lone, Vector3(0.25f, 0.5f, 0.0f)), Vector3());
    EXPECT_EQ(fieldNormal(lone, Vector3(1.25f, 0.5f, 0.0f)), Vector3(1.0f, 0.0f, 0.0f));
}

}  // namespace
}  // namespace vorlune
