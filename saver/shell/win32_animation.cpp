#include "shell/win32_animation.hpp"

namespace vorlune::saver {

namespace {

void Zoom(HWND window, bool opening) {
    const RECT anchor{AnimAnchor.x, AnimAnchor.y, AnimAnchor.x, AnimAnchor.y};
    RECT frame{};
    GetWindowRect(window, &frame);
    // The zoom is decoration: a failure leaves nothing to put right.
    DrawAnimatedRects(window, IDANI_CAPTION, opening ? &anchor : &frame,
                      opening ? &frame : &anchor);
}

}  // namespace

void AnimateOpen(HWND window) {
    Zoom(window, true);
}
void AnimateClose(HWND window) {
    Zoom(window, false);
}

}  // namespace vorlune::saver
