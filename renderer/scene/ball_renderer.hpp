#pragma once

namespace vorlune {

// Draws the whole picture of one frame at scene time t: the zooming background,
// then the two additive, lit, sphere-mapped shells of the five metaballs.
// Needs the scene started (ballTexture and the scene's field exist).
void drawScene(float t);

}  // namespace vorlune
