#include "geometry/metaball_field.hpp"

#include <gtest/gtest.h>

namespace vorlune {
namespace {

TEST(MetaballField, SceneLatticeStartsOneStepPastTheExtent) {
    MetaballField field(28, 2.0f, 5);
    EXPECT_EQ(field.nodeCount(), 24389);
    EXPECT_EQ(field.cellCount(), 21952);

    const float step = 4.0f / 28.0f;
    const Vector3 first = field.nodes[0].position;
    EXPECT_EQ(first, Vector3(-2.0f + step, -2.0f + step, -2.0f + step));
    EXPECT_NEAR(first.x, -1.857143f, 1e-6f);

    const Vector3 last = field.nodes[field.nodeIndex(28, 28, 28)].position;
    EXPECT_NEAR(last.x, 2.142857f, 1e-5f);
    EXPECT_EQ(last.x, last.y);
    EXPECT_EQ(last.y, last.z);

    // the running sums are single precision: reproduce them independently
    float running = -2.0f;
    for (int i = 0; i <= 28; ++i) {
        running += step;
        EXPECT_EQ(field.nodes[field.nodeIndex(i, 0, 0)].position.x, running) << i;
        EXPECT_EQ(field.nodes[field.nodeIndex(0, i, 0)].position.y, running) << i;
        EXPECT_EQ(field.nodes[field.nodeIndex(0, 0, i)].position.z, running) << i;
    }
}

TEST(MetaballField, NodeNumberingRunsKFastest) {
    MetaballField field(28, 2.0f, 5);
    EXPECT_EQ(field.nodeIndex(0, 0, 1), 1);
    EXPECT_EQ(field.nodeIndex(0, 1, 0), 29);
    EXPECT_EQ(field.nodeIndex(1, 0, 0), 29 * 29);
    for (int i = 0; i < 28; i += 9) {
        for (int j = 0; j <= 28; j += 7) {
            for (int k = 0; k <= 28; k += 5) {
                const Vector3 a = field.nodes[field.nodeIndex(i, j, k)].position;
                const Vector3 b = field.nodes[field.nodeIndex(i + 1, j, k)].position;
                EXPECT_EQ(a.y, b.y);
                EXPECT_EQ(a.z, b.z);
                EXPECT_NEAR(b.x - a.x, 4.0f / 28.0f, 1e-6f);
            }
        }
    }
}

TEST(MetaballField, CellCornersFollowTheFixedOrder) {
    MetaballField single(1, 1.0f, 1);
    ASSERT_EQ(single.nodeCount(), 8);
    ASSERT_EQ(single.cellCount(), 1);
    const int expected[8] = {0, 4, 5, 1, 2, 6, 7, 3};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(single.cells[0].corner[c] - single.nodes.get(), expected[c]) << "corner " << c;
    }

    // in a larger lattice, cell (i, j, k) sits at (i * N + j) * N + k
    MetaballField field(4, 1.0f, 1);
    const FieldCell& cell = field.cells[(2 * 4 + 1) * 4 + 3];
    EXPECT_EQ(cell.corner[0], &field.nodes[field.nodeIndex(2, 1, 3)]);
    EXPECT_EQ(cell.corner[6], &field.nodes[field.nodeIndex(3, 2, 4)]);
    // corners 4-7 lie directly above corners 0-3
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(cell.corner[c + 4]->position.x, cell.corner[c]->position.x);
        EXPECT_GT(cell.corner[c + 4]->position.y, cell.corner[c]->position.y);
        EXPECT_EQ(cell.corner[c + 4]->position.z, cell.corner[c]->position.z);
    }
}

TEST(MetaballField, SetBallIgnoresIndexesOutsideTheTable) {
    MetaballField field(2, 1.0f, 5);
    for (int b = 0; b < 5; ++b) field.setBall(b, Vector3(static_cast<float>(b), 2.0f, 3.0f), 0.5f);
    field.setBall(5, Vector3(9.0f, 9.0f, 9.0f), 9.0f);
    field.setBall(-1, Vector3(9.0f, 9.0f, 9.0f), 9.0f);
    for (int b = 0; b < 5; ++b) {
        EXPECT_EQ(field.balls[b].centre, Vector3(static_cast<float>(b), 2.0f, 3.0f));
        EXPECT_EQ(field.balls[b].radius, 0.5f);
    }
}

TEST(MetaballField, RefusesAShapeItCannotHold) {
    EXPECT_THROW(MetaballField(0, 1.0f, 1), std::invalid_argument);
    EXPECT_THROW(MetaballField(4, 1.0f, kMaxBalls + 1), std::invalid_argument);
}

}  // namespace
}  // namespace vorlune
