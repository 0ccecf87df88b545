#pragma once

namespace vorlune {

// Viewport and a 60-degree perspective for a window of this size; a height of
// 0 counts as 1. Leaves the model-view matrix selected and reset.
void resizeViewport(int width, int height);

}  // namespace vorlune
