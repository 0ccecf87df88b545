#pragma once

// The geometry of the metaball shells: placing the balls for a scene time,
// sampling their field on the lattice and polygonising it by marching cubes.
// Nothing here calls OpenGL: every triangle corner goes to a sink, so the GL
// drawing, the mesh export and the tests share one code path.

#include <cmath>
#include <concepts>
#include <cstdint>
#include <memory>

#include "geometry/metaball_field.hpp"
#include "geometry/vector3.hpp"
#include "scene/marching_cubes_tables.hpp"

namespace vorlune {

// Receives one batch of triangles per level: beginTriangles, then three
// corners (normal, then vertex) per triangle, then endTriangles.
template <class Sink>
concept TriangleSink = requires(Sink& sink, const Vector3& normal, const Vector3& vertex) {
    sink.beginTriangles();
    sink.corner(normal, vertex);
    sink.endTriangles();
};

inline constexpr float kOuterShellLevel = 0.1f;  // the lower level gives the larger shell
inline constexpr float kInnerShellLevel = 0.15f;
inline constexpr float kSceneExtent = 2.0f;
inline constexpr std::int32_t kSceneBallCount = 5;

// A node or vertex closer to a ball's centre than this (squared) counts as this
// close: at the centre itself the field and the normal weight would divide by
// zero. Far below the lattice's scale, so no ordinary frame ever meets it.
inline constexpr float kNearestSquaredDistance = 1e-12f;

// The scene's lattice: 6 * detailLevel + 10 cells a side, five balls, the first
// two at their start places until the first frame moves all five.
std::unique_ptr<MetaballField> createSceneField(std::int32_t detailLevel);

// Moves the five balls along their Lissajous paths to scene time t.
void placeBalls(MetaballField& field, float t);

// Fills every node's value with the summed field of the balls.
void evaluateField(MetaballField& field);

inline float clampValue(float x, float low, float high) {
    if (x < low) return low;
    if (x > high) return high;
    return x;
}

inline float lerpClamped(float a, float b, float t) {
    return a + (b - a) * clampValue(t, 0.0f, 1.0f);
}

// The point on the edge from a to b where the field crosses iso; never off the edge.
Vector3 interpolateEdge(const FieldNode& a, const FieldNode& b, float iso);
// The same from the two ends' values and positions.
inline Vector3 interpolateCrossing(float va, const Vector3& pa, float vb, const Vector3& pb,
                                   float iso) {
    if (va == iso) return pa;
    if (vb == iso) return pb;
    if (va == vb) return pa;
    const float mu = (iso - va) / (vb - va);
    return {lerpClamped(pa.x, pb.x, mu), lerpClamped(pa.y, pb.y, mu), lerpClamped(pa.z, pb.z, mu)};
}

// The surface normal at a point: the normalised sum of each ball's
// (point - centre) * 2 * radius / d^4. A sum of zero gives (0, 0, 0).
Vector3 fieldNormal(const MetaballField& field, const Vector3& point);

template <TriangleSink Sink>
void polygoniseCell(const MetaballField& field, const FieldCell& cell, float iso, Sink& sink) {
    unsigned index = 0;
    for (unsigned k = 0; k < 8; ++k) {
        if (cell.corner[k]->value < iso) index |= 1u << k;
    }
    const unsigned edges = kEdgeTable[index];
    if (edges == 0) return;

    Vector3 vertex[12];
    Vector3 normal[12];
    for (unsigned e = 0; e < 12; ++e) {
        if (edges & (1u << e)) {
            vertex[e] = interpolateEdge(*cell.corner[kEdgeCorners[e][0]],
                                        *cell.corner[kEdgeCorners[e][1]], iso);
        }
    }
    for (unsigned e = 0; e < 12; ++e) normal[e] = fieldNormal(field, vertex[e]);

    const std::int8_t* row = kTriangleTable[index];
    for (int i = 0; i < 15 && row[i] != -1; i += 3) {
        for (int j = 0; j < 3; ++j) {
            const auto e = static_cast<unsigned>(row[i + j]);
            sink.corner(normal[e], vertex[e]);
        }
    }
}

template <TriangleSink Sink>
void polygonise(const MetaballField& field, float iso, Sink& sink) {
    sink.beginTriangles();
    const std::int32_t cellCount = field.cellCount();
    for (std::int32_t i = 0; i < cellCount; ++i) polygoniseCell(field, field.cells[i], iso, sink);
    sink.endTriangles();
}

// Both shells of the current field: the outer level first, then the inner.
template <TriangleSink Sink>
void polygoniseShells(const MetaballField& field, Sink& sink) {
    polygonise(field, kOuterShellLevel, sink);
    polygonise(field, kInnerShellLevel, sink);
}

}  // namespace vorlune
