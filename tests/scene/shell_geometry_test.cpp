#include "scene/shell_geometry.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "scene/recorded_shells.hpp"
#include "triangle_recorder.hpp"

// Counts every allocation the test program makes, to show that a frame makes none.
namespace {
std::atomic<long> allocations{0};
}

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace vorlune {
namespace {

// The straightforward way: every node, every cell, every edge.
TriangleRecorder oracle(MetaballField& field) {
    TriangleRecorder r(false);
    evaluateField(field);
    polygoniseShells(field, r);
    return r;
}

TriangleRecorder quick(ShellGeometry& shells) {
    TriangleRecorder r(false);
    shells.evaluate();
    shells.polygoniseShells(r);
    return r;
}

void expectSameStream(const TriangleRecorder& expected, const TriangleRecorder& got,
                      const std::string& what) {
    EXPECT_EQ(expected.corners, got.corners) << what;
    EXPECT_EQ(expected.hash, got.hash) << what;
    EXPECT_EQ(got.nonFinite, 0) << what;
}

// The sanitizer build runs the straightforward walk some twenty times slower:
// it checks a sample of the hour, the other builds all of it.
#if defined(VORLUNE_SANITIZE)
constexpr int kFramesInTheFirstHour = 150;
#else
constexpr int kFramesInTheFirstHour = 2000;
#endif

// A frame allocates nothing.
TEST(ShellGeometry, SameTrianglesBitForBitOverTheFirstHourAndAfterADayAndAHalf) {
    auto field = createSceneField(3);
    ShellGeometry shells(*field);
    std::vector<float> times;
    const float spacing = 3600.0f / kFramesInTheFirstHour + 0.0003f;
    for (int n = 0; n < kFramesInTheFirstHour; ++n)
        times.push_back(static_cast<float>(n) * spacing);
    for (int n = 0; n < 40; ++n) times.push_back(129600.0f + static_cast<float>(n) * 97.3f);
    long corners = 0;
    for (float t : times) {
        placeBalls(*field, t);
        const long before = allocations.load();
        const TriangleRecorder got = quick(shells);
        ASSERT_EQ(allocations.load(), before) << "t = " << t;
        const std::string what = "t = " + std::to_string(t);
        expectSameStream(oracle(*field), got, what);
        if (HasFailure()) return;
        // the node values agree too
        for (int probe = 0; probe < 24389; probe += 997) {
            const int i = probe / 841, j = probe / 29 % 29, k = probe % 29;
            ASSERT_EQ(shells.value(i, j, k), field->nodes[field->nodeIndex(i, j, k)].value) << what;
        }
        corners += got.corners;
    }
    EXPECT_GT(corners, kFramesInTheFirstHour * 9000L);
}

TEST(ShellGeometry, SameTrianglesWithBallsOnNodesAndEdges) {
    MetaballField field(28, 2.0f, 5);
    ShellGeometry shells(field);
    auto node = [&](int i, int j, int k) { return field.nodes[field.nodeIndex(i, j, k)].position; };
    auto middle = [](const Vector3& a, const Vector3& b) {
        return Vector3((a.x + b.x) * 0.5f, (a.y + b.y) * 0.5f, (a.z + b.z) * 0.5f);
    };
    const struct {
        Vector3 centres[5];
        float radii[5];
    } cases[] = {
        // on nodes, one of them twice with opposite signs
        {{node(14, 14, 14), node(14, 14, 14), node(3, 20, 7), node(27, 1, 0), node(0, 0, 0)},
         {0.2f, -0.05f, 0.15f, 0.2f, 0.15f}},
        // on the middle of cell edges along each axis, and a ball of radius 0
        {{middle(node(10, 10, 10), node(11, 10, 10)), middle(node(5, 9, 20), node(5, 10, 20)),
          middle(node(20, 4, 12), node(20, 4, 13)), node(12, 12, 12), node(28, 28, 28)},
         {0.15f, 0.2f, 0.15f, 0.0f, 0.2f}},
    };
    for (const auto& c : cases) {
        for (int b = 0; b < 5; ++b) field.setBall(b, c.centres[b], c.radii[b]);
        const TriangleRecorder expected = oracle(field);
        ASSERT_GT(expected.corners, 0);
        expectSameStream(expected, quick(shells), "balls on the lattice");
        // a centre on a node neither divides by zero nor cancels infinities
        for (int n = 0; n < field.nodeCount(); ++n)
            ASSERT_TRUE(std::isfinite(field.nodes[n].value)) << "node " << n;
    }
}

TEST(ShellGeometry, OtherResolutionsAndLevels) {
    for (int n : {1, 7, 30, 62}) {
        MetaballField field(n, 1.5f, 3);
        field.setBall(0, Vector3(0.1f, 0.2f, 0.3f), 0.3f);
        field.setBall(1, Vector3(-0.4f, 0.0f, 0.5f), 0.25f);
        field.setBall(2, Vector3(0.5f, -0.5f, -0.2f), -0.1f);
        ShellGeometry shells(field);
        shells.evaluate();
        evaluateField(field);
        for (float level : {0.05f, 0.2f, 1.0f}) {
            TriangleRecorder expected(false), got(false);
            polygonise(field, level, expected);
            shells.polygonise(level, got);
            expectSameStream(expected, got, "resolution " + std::to_string(n));
        }
    }
    MetaballField tooFine(63, 1.0f, 1);
    EXPECT_THROW(ShellGeometry{tooFine}, std::invalid_argument);
}

// A tick recorded once and drawn on several surfaces hands each the stream the
// shells would have handed it, batch ends included.
TEST(RecordedShells, ReplayTheStreamOfTheShells) {
    auto field = createSceneField(3);
    ShellGeometry shells(*field);
    RecordedShells recorded;
    for (const float t : {0.0f, 17.25f, 123.5f}) {
        recorded.record(*field, shells, t);
        TriangleRecorder replayed;
        recorded.replay(replayed);
        placeBalls(*field, t);
        expectSameStream(quick(shells), replayed, "t = " + std::to_string(t));
    }
}

}  // namespace
}  // namespace vorlune
