#include "scene/scene_driver.hpp"

#include "frame/frame_clock.hpp"
#include "frame/key_states.hpp"
#include "frame/render_settings.hpp"
#include "gl/gl_headers.hpp"
#include "scene/ball_geometry.hpp"
#include "scene/ball_renderer.hpp"
#include "scene/recorded_shells.hpp"
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

RecordedShells recorded;

}  // namespace

void sceneTick() {
    if (!sceneClock.started()) sceneClock.start(clockSeconds());
    sceneClock.advance(clockSeconds());
    recorded.record(*sceneField, *sceneShells, sceneClock.sceneTime());
}

void sceneDraw() {
    beginSceneFrame(recorded.t);
    beginShells();
    // The same calls in immediate mode as drawScene makes while it polygonises.
    GlTriangleSink sink;
    recorded.replay(sink);
    endShells();
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
