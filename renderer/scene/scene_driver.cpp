#include "scene/scene_driver.hpp"

#include <vector>

#include "frame/frame_clock.hpp"
#include "frame/key_states.hpp"
#include "frame/render_settings.hpp"
#include "gl/gl_headers.hpp"
#include "scene/ball_geometry.hpp"
#include "scene/ball_renderer.hpp"
#include "texture/texture_object.hpp"

namespace vorlune {

void sceneStart() {
    buildTextureSet();
    sceneField = createSceneField(detailLevel);
    sceneShells = std::make_unique<ShellGeometry>(*sceneField);
    setTexturing(true);
}

bool sceneKeepRunning() {
    return keyStates[kEscapeKey] == 0;
}

bool sceneFrame() {
    if (!sceneClock.started()) sceneClock.start(clockSeconds());
    sceneClock.advance(clockSeconds());
    drawScene(sceneClock.sceneTime());
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    return true;
}

namespace {

// One tick's shells, corner by corner as GL_N3F_V3F (normal, then vertex),
// and where each level's batch ends.
struct RecordedShells {
    float t = 0.0f;
    std::vector<GLfloat> corners;
    std::vector<GLsizei> batchEnds;

    void beginTriangles() {}
    void corner(const Vector3& normal, const Vector3& vertex) {
        corners.insert(corners.end(), {normal.x, normal.y, normal.z, vertex.x, vertex.y, vertex.z});
    }
    void endTriangles() { batchEnds.push_back(static_cast<GLsizei>(corners.size() / 6)); }
};

RecordedShells recorded;

}  // namespace

void sceneTick() {
    if (!sceneClock.started()) sceneClock.start(clockSeconds());
    sceneClock.advance(clockSeconds());
    recorded.t = sceneClock.sceneTime();
    recorded.corners.clear();
    recorded.batchEnds.clear();
    placeBalls(*sceneField, recorded.t);
    sceneShells->evaluate();
    sceneShells->polygoniseShells(recorded);
}

void sceneDraw() {
    beginSceneFrame(recorded.t);
    beginShells();
    if (!recorded.corners.empty()) {
        glInterleavedArrays(GL_N3F_V3F, 0, recorded.corners.data());
        GLsizei first = 0;
        for (const GLsizei end : recorded.batchEnds) {
            glDrawArrays(GL_TRIANGLES, first, end - first);
            first = end;
        }
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    endShells();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

void sceneStop() {
    releaseTextureSet();
    sceneShells.reset();
    sceneField.reset();
    recorded = RecordedShells{};
}

void setTexturing(bool on) {
    if (on) {
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
}

}  // namespace vorlune
