#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "geometry/metaball_field.hpp"
#include "scene/ball_geometry.hpp"

namespace vorlune {

// The metaball shells as each frame draws them, computed the quick way. The
// triangles come out identical, bit for bit and in the same order, to
// evaluateField followed by polygonise on the same field; only the work differs:
//  - the field is summed in vector loops along each lattice row, ball by ball in
//    ball order, from the node coordinates (x depends on i only, y on j, z on k),
//    and only in the chunks of eight nodes a level needs: evaluate bounds each
//    chunk from above, and a level over the bound finds it all below unsummed;
//  - below-the-level flags are packed one bit per node along a row, so the cells
//    that no level crosses are skipped a whole row at a time with a few ANDs;
//  - a crossing point and its normal are computed only for crossed edges, once
//    per lattice edge, direction and level, the normals four at a time; the
//    cells are walked plane by plane right behind the points they use;
//  - every buffer is sized once from the lattice: a frame allocates nothing.
// Node values live in this object's own buffer; the field's nodes are not written.
class ShellGeometry {
  public:
    // Resolutions up to 62 cells a side (a row of nodes fits in 64 bits).
    explicit ShellGeometry(const MetaballField& field);
    ShellGeometry(const ShellGeometry&) = delete;
    ShellGeometry& operator=(const ShellGeometry&) = delete;

    // Takes the lattice's balls as they are now; the node sums follow as needed.
    void evaluate();

    // The triangles of one level of the last evaluation, as one batch.
    template <TriangleSink Sink>
    void polygonise(float iso, Sink& sink) {
        const std::size_t corners = prepareLevel(iso);
        sink.beginTriangles();
        for (std::size_t c = 0; c < corners; ++c) {
            const std::int32_t slot = cornerSlots_[c];
            sink.corner(normals_[slot], vertices_[slot]);
        }
        sink.endTriangles();
    }

    // Both shells: the outer level first, then the inner.
    template <TriangleSink Sink>
    void polygoniseShells(Sink& sink) {
        polygonise(kOuterShellLevel, sink);
        polygonise(kInnerShellLevel, sink);
    }

    // The summed field at a node, as evaluateField would leave it.
    float value(int i, int j, int k) const;

  private:
    // how many crossed lattice edges leave a plane's nodes along i, j and k
    using CrossedEdges = std::array<std::size_t, 3>;

    std::size_t rowOf(int i, int j) const { return static_cast<std::size_t>(i * (n_ + 1) + j); }
    // Once, for the lattice: the buffers sized for it, the node coordinates,
    // the neighbourhood boxes and the corner-offset table.
    void allocateBuffers();
    void readNodeCoordinates();
    void boundNeighbourhoods();
    void buildCornerOffsets();
    // Each evaluation: the balls' offsets and gaps (false when a ball is not
    // finite), then the chunks' ceilings.
    bool takeBalls();
    void boundChunks(bool finite);
    // Fills the corner list of one level and the points and normals it names.
    std::size_t prepareLevel(float iso);
    CrossedEdges listCrossedEdges(int i);
    void addPlanePoints(int i, float iso, std::int32_t& points);
    std::size_t walkPlaneCells(int i, std::size_t corners);
    void computeNormals(std::int32_t count);
    void evaluateChunk(int i, int j, int c);

    const MetaballField& field_;
    int n_;                  // cells a side
    int stride_;             // nodes along k, padded to a multiple of 8
    int chunks_;             // chunks of eight nodes a row
    int chunkLanes_;         // chunks_ rounded up to a multiple of 4
    std::size_t nodeSlots_;  // (n + 1)^2 rows of stride_ nodes

    std::unique_ptr<float[]> px_, py_, pz_;           // node coordinates by index
    std::unique_ptr<float[]> dx2_, dy2_, dz2_;        // squared offsets per ball and index
    std::unique_ptr<float[]> boxX_, boxY_, boxZ_;     // low and high of each neighbourhood
    std::unique_ptr<float[]> gapX2_, gapY2_, gapZ2_;  // squared gaps per ball and box
    std::unique_ptr<float[]> ceiling_;                // per row and chunk: no node value is above
    std::unique_ptr<std::uint8_t[]> evaluated_;       // per row and chunk: values_ holds its sums
    int ballCount_ = 0;
    float signedRadiusSquared_[kMaxBalls] = {};
    std::unique_ptr<float[]> values_;           // node values, row by row, where evaluated
    std::unique_ptr<std::uint64_t[]> below_;    // per row: bit k set when node k is below
    std::size_t planeNodes_;                    // node slots of one plane
    std::unique_ptr<std::int32_t[]> edgeList_;  // a plane's crossed edges, by direction
    std::size_t planeCodes_;                    // edge codes of one plane of nodes
    std::unique_ptr<std::int32_t[]> edgeSlot_;  // two planes, five codes a node: its edges' points
    std::unique_ptr<Vector3[]> vertices_;
    std::unique_ptr<Vector3[]> normals_;
    std::unique_ptr<std::int32_t[]> cornerSlots_;  // triangle corners in emission order
    // per cell configuration: where its triangle corners' points are kept,
    // counted from the cell's first node's codes in edgeSlot_, by the parity
    // of the cell's plane
    std::int32_t cornerOffsets_[2][256][15] = {};
    int cornerCounts_[256] = {};
};

}  // namespace vorlune
