#include "scene/ball_geometry.hpp"

#include <gtest/gtest.h>

#include <cstdint>
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

TEST(Shells, EveryBitIsTheSameOnEveryCompiler) {
    // The surface depends on sine and cosine of the C library and on the
    // single-precision order of operations; both builds must agree exactly.
    // (At t = 0 the five balls sit together: the golden frame t0 shows the
    // two spheres.)
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
