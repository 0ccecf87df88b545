#pragma once

#include <cstdint>

namespace vorlune {

// The Windows virtual-key code for a keysym (X11 and xkbcommon share them), as the key-state table
// is indexed, or 0 for a key that has none. Letters map by their unshifted keysym and both cases;
// both Shift, Control and Alt keys map to the generic VK_SHIFT, VK_CONTROL and VK_MENU that key
// messages carry.
std::uint8_t virtualKeyForKeysym(unsigned long keysym);

}  // namespace vorlune
