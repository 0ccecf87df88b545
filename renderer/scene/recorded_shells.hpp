#pragma once

#include <vector>

#include "geometry/metaball_field.hpp"
#include "geometry/vector3.hpp"
#include "scene/ball_geometry.hpp"
#include "scene/shell_geometry.hpp"

namespace vorlune {

// One tick's shells, corner by corner as normal then vertex (the layout of
// GL_N3F_V3F), and the corner count at the end of each level's batch. The
// native drawing and the web page's both draw from it.
struct RecordedShells {
    float t = 0.0f;
    std::vector<float> corners;
    std::vector<int> batchEnds;

    void beginTriangles() {}
    void corner(const Vector3& normal, const Vector3& vertex) {
        corners.insert(corners.end(), {normal.x, normal.y, normal.z, vertex.x, vertex.y, vertex.z});
    }
    void endTriangles() { batchEnds.push_back(static_cast<int>(corners.size() / 6)); }

    // The balls placed at scene time `time` and both shells polygonised; the
    // buffers keep their room from tick to tick.
    void record(MetaballField& field, ShellGeometry& shells, float time) {
        t = time;
        corners.clear();
        batchEnds.clear();
        placeBalls(field, t);
        shells.evaluate();
        shells.polygoniseShells(*this);
    }

    // Hands what was recorded to another sink, batch by batch, as the shells
    // would have handed it.
    template <typename Sink>
    void replay(Sink& sink) const {
        std::size_t corner = 0;
        for (const int end : batchEnds) {
            sink.beginTriangles();
            for (; corner < static_cast<std::size_t>(end) * 6; corner += 6) {
                sink.corner(Vector3{corners[corner], corners[corner + 1], corners[corner + 2]},
                            Vector3{corners[corner + 3], corners[corner + 4], corners[corner + 5]});
            }
            sink.endTriangles();
        }
    }
};

}  // namespace vorlune
