#pragma once

#include <windows.h>

#include <cstdint>

namespace vorlune::saver {

// The point the settings dialog's zoom starts from and returns to, in screen
// coordinates. The dialog sets it before AnimateOpen.
struct AnimPoint {
    std::int16_t x = 0;
    std::int16_t y = 0;
};
inline AnimPoint AnimAnchor;

// The caption zoom from AnimAnchor to the window's screen rectangle, and back.
void AnimateOpen(HWND window);
void AnimateClose(HWND window);

}  // namespace vorlune::saver
