#pragma once

#include <cstdio>

#include "geometry/vector3.hpp"

namespace vorlune::tool {

// Streams the triangles of each level as Wavefront OBJ as they are
// polygonised: every corner its own normal and vertex, then one face per
// triangle. Nothing else in it, so the web build writes its meshes with it too.
class ObjSink {
  public:
    explicit ObjSink(std::FILE* out) : out_(out) {}

    // polygoniseShells draws the outer level first, then the inner one.
    void beginTriangles() { std::fprintf(out_, "g %s\n", batches_++ == 0 ? "outer" : "inner"); }
    void endTriangles() {}
    void corner(const Vector3& normal, const Vector3& vertex) {
        std::fprintf(out_, "vn %.9g %.9g %.9g\nv %.9g %.9g %.9g\n", normal.x, normal.y, normal.z,
                     vertex.x, vertex.y, vertex.z);
        if (++corners_ % 3 == 0) {
            const long a = corners_ - 2, b = corners_ - 1, c = corners_;
            std::fprintf(out_, "f %ld//%ld %ld//%ld %ld//%ld\n", a, a, b, b, c, c);
        }
    }
    long triangles() const { return corners_ / 3; }

  private:
    std::FILE* out_;
    int batches_ = 0;
    long corners_ = 0;
};

}  // namespace vorlune::tool
