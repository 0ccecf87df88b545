#include "frame/display_mode.hpp"

namespace vorlune {

std::optional<DisplayMode> enterFullScreenMode(DisplayModes& display, const DisplayMode& wanted) {
    if (display.change(wanted)) return wanted;
    // Displays without 16-bit modes are common; the pixel format still asks
    // for 16 bits and gets the nearest the system has.
    const int depth = display.currentBitsPerPixel();
    if (depth <= 0 || depth == wanted.bitsPerPixel) return std::nullopt;
    const DisplayMode atCurrentDepth{wanted.width, wanted.height, depth};
    if (display.change(atCurrentDepth)) return atCurrentDepth;
    return std::nullopt;
}

}  // namespace vorlune
