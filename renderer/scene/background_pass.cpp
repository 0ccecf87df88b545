#include "scene/background_pass.hpp"

#include "gl/gl_headers.hpp"

namespace vorlune {

void beginScreenSpace(float width, float height) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, static_cast<double>(width), 0.0, static_cast<double>(height));
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void endScreenSpace() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void drawBackground(float zoom) {
    beginScreenSpace(1.0f, 1.0f);
    glDepthMask(GL_FALSE);
    const float inset = zoom * 0.5f;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f + inset, 0.0f + inset);
    glVertex2f(0.0f, 0.0f);
    glTexCoord2f(1.0f - inset, 0.0f + inset);
    glVertex2f(1.0f, 0.0f);
    glTexCoord2f(1.0f - inset, 1.0f - inset);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f + inset, 1.0f - inset);
    glVertex2f(0.0f, 1.0f);
    glEnd();
    glDepthMask(GL_TRUE);
    endScreenSpace();
}

}  // namespace vorlune
