#pragma once

#include <array>
#include <cstdint>

namespace vorlune {

// One byte per Windows virtual-key code, 1 while the key is down. Written by
// the window's event handling, read by the scene driver.
inline std::array<std::uint8_t, 256> keyStates{};

inline constexpr int kEscapeKey = 27;  // VK_ESCAPE

}  // namespace vorlune
