#include <gtest/gtest.h>

#include <vector>

#include "scene/marching_cubes_tables.hpp"

namespace vorlune {
namespace {

std::vector<int> row(int index) {
    std::vector<int> edges;
    for (int i = 0; i < 16 && kTriangleTable[index][i] != -1; ++i) {
        edges.push_back(kTriangleTable[index][i]);
    }
    return edges;
}

TEST(MarchingCubesTables, EdgeTableStartsAsPublished) {
    const std::uint16_t first[8] = {0x000, 0x109, 0x203, 0x30A, 0x406, 0x50F, 0x605, 0x70C};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(kEdgeTable[i], first[i]) << i;
    EXPECT_EQ(kEdgeTable[255], 0);
    EXPECT_EQ(kEdgeTable[128], 0x8C0);
}

TEST(MarchingCubesTables, TriangleRowsAsPublished) {
    using R = std::vector<int>;
    EXPECT_EQ(row(0), R{});
    EXPECT_EQ(row(1), (R{0, 8, 3}));
    EXPECT_EQ(row(2), (R{0, 1, 9}));
    EXPECT_EQ(row(3), (R{1, 8, 3, 9, 8, 1}));
    EXPECT_EQ(row(6), (R{9, 2, 10, 0, 2, 9}));
    EXPECT_EQ(row(7), (R{2, 8, 3, 2, 10, 8, 10, 9, 8}));
    EXPECT_EQ(row(8), (R{3, 11, 2}));
    EXPECT_EQ(row(15), (R{9, 8, 10, 10, 8, 11}));
    EXPECT_EQ(row(16), (R{4, 7, 8}));
    EXPECT_EQ(row(253), (R{0, 9, 1}));
    EXPECT_EQ(row(254), (R{0, 3, 8}));
    EXPECT_EQ(row(255), R{});
}

TEST(MarchingCubesTables, EveryRowUsesExactlyTheCrossedEdges) {
    int triangles = 0;
    for (int index = 0; index < 256; ++index) {
        const auto edges = row(index);
        ASSERT_EQ(edges.size() % 3, 0u) << index;
        ASSERT_LE(edges.size(), 15u) << index;
        EXPECT_EQ(kTriangleTable[index][edges.size()], -1) << index;
        unsigned used = 0;
        for (int e : edges) {
            ASSERT_GE(e, 0);
            ASSERT_LT(e, 12);
            used |= 1u << e;
        }
        EXPECT_EQ(used, kEdgeTable[index]) << "row " << index;
        triangles += static_cast<int>(edges.size() / 3);
    }
    EXPECT_EQ(triangles, 820);
}

}  // namespace
}  // namespace vorlune
