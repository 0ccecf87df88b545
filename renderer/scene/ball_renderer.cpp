#include "scene/ball_renderer.hpp"

#include "gl/gl_headers.hpp"
#include "scene/background_pass.hpp"
#include "scene/ball_geometry.hpp"
#include "scene/scene_driver.hpp"
#include "texture/texture_object.hpp"

namespace vorlune {

namespace {

static_assert(sizeof(Vector3) == 3 * sizeof(float), "Vector3 is handed to GL as float[3]");

// Hands the triangles straight to OpenGL in immediate mode.
struct GlTriangleSink {
    void beginTriangles() { glBegin(GL_TRIANGLES); }
    void corner(const Vector3& normal, const Vector3& vertex) {
        glNormal3fv(&normal.x);
        glVertex3fv(&vertex.x);
    }
    void endTriangles() { glEnd(); }
};

}  // namespace

void drawScene(float t) {
    MetaballField& field = *sceneField;

    glClear(GL_DEPTH_BUFFER_BIT);  // the background covers every pixel
    glLoadIdentity();
    glColor3f(0.5f, 0.5f, 0.5f);
    ballTexture->bind();
    drawBackground(t * 0.015f);

    // a point light at the eye, with the fixed-function defaults for the rest
    const GLfloat lightPosition[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightPosition);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);

    glTranslatef(0.0f, 0.0f, -4.0f);
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glEnable(GL_TEXTURE_GEN_S);
    glEnable(GL_TEXTURE_GEN_T);
    ballTexture->bind();

    placeBalls(field, t);
    evaluateField(field);

    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    GlTriangleSink sink;
    polygoniseShells(field, sink);

    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_LIGHTING);
}

}  // namespace vorlune
