#pragma once

#include <memory>

#include "geometry/metaball_field.hpp"
#include "scene/scene_clock.hpp"
#include "scene/shell_geometry.hpp"

namespace vorlune {

// The scene's lattice and balls, from sceneStart to sceneStop.
inline std::unique_ptr<MetaballField> sceneField;
// The shells' working buffers over that lattice.
inline std::unique_ptr<ShellGeometry> sceneShells;
// The measured animation time; sceneClock.sceneTime() is the input of all drawing.
inline SceneClock sceneClock;

// Builds the texture and the lattice; the rendering context must be current.
void sceneStart();
// False while Escape is held down.
bool sceneKeepRunning();
// Advances the scene time by the measured frame time and draws the frame.
bool sceneFrame();
// sceneFrame in two halves, for a picture shown on several surfaces: the
// tick advances the scene time and builds that moment's shells once; each
// draw shows that same moment with whatever context is current.
void sceneTick();
void sceneDraw();
// Frees what sceneStart built, while the context is still current.
void sceneStop();

void setTexturing(bool on);

}  // namespace vorlune
