#pragma once

#include "geometry/vector3.hpp"
#include "gl/gl_headers.hpp"

namespace vorlune {

static_assert(sizeof(Vector3) == 3 * sizeof(float), "Vector3 is handed to GL as float[3]");

// Hands triangles straight to OpenGL in immediate mode, one batch per level.
struct GlTriangleSink {
    void beginTriangles() { glBegin(GL_TRIANGLES); }
    void corner(const Vector3& normal, const Vector3& vertex) {
        glNormal3fv(&normal.x);
        glVertex3fv(&vertex.x);
    }
    void endTriangles() { glEnd(); }
};

// Draws the whole picture of one frame at scene time t: the zooming background,
// then the two additive, lit, sphere-mapped shells of the five metaballs.
// Needs the scene started (ballTexture, the scene's field and shells exist).
void drawScene(float t);

// drawScene in its parts, for measuring them apart: the background and the
// state the shells are drawn in; then the shells' blending; then the restore.
void beginSceneFrame(float t);
void beginShells();
void endShells();

}  // namespace vorlune
