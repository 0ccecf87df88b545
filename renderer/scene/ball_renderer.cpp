#include "scene/ball_renderer.hpp"

#include "scene/background_pass.hpp"
#include "scene/ball_geometry.hpp"
#include "scene/scene_driver.hpp"
#include "scene/shell_geometry.hpp"
#include "texture/texture_object.hpp"

namespace vorlune {

void beginSceneFrame(float t) {
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
}

void beginShells() {
    glDepthMask(GL_FALSE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void endShells() {
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glDisable(GL_TEXTURE_GEN_S);
    glDisable(GL_TEXTURE_GEN_T);
    glDisable(GL_LIGHTING);
}

void drawScene(float t) {
    beginSceneFrame(t);
    placeBalls(*sceneField, t);
    sceneShells->evaluate();
    beginShells();
    GlTriangleSink sink;
    sceneShells->polygoniseShells(sink);
    endShells();
}

}  // namespace vorlune
