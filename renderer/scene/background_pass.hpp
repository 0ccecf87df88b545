#pragma once

namespace vorlune {

// Pushes both matrices and sets a screen-space projection from (0, 0) to
// (width, height); the model-view matrix stays selected.
void beginScreenSpace(float width, float height);
// Pops both matrices again; the model-view matrix stays selected.
void endScreenSpace();

// One quad over the whole viewport showing a window of the bound texture that
// closes in on its centre as zoom grows (inset = zoom / 2 on every side).
// Never writes depth.
void drawBackground(float zoom);

}  // namespace vorlune
