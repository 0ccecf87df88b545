#pragma once

#include <optional>

namespace vorlune {

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;

    bool operator==(const DisplayMode&) const = default;
};

// What the full-screen start asks of the display: its current colour depth
// and a change of mode for this run only.
class DisplayModes {
  public:
    virtual ~DisplayModes() = default;
    // 0 when the depth cannot be read.
    virtual int currentBitsPerPixel() = 0;
    // True when the display took the mode.
    virtual bool change(const DisplayMode& mode) = 0;
};

// Switches to the wanted mode or, where the display refuses that depth, to the
// same size at its current depth. Returns the mode in force, or nothing when
// both were refused and the renderer is to run in a window.
std::optional<DisplayMode> enterFullScreenMode(DisplayModes& display, const DisplayMode& wanted);

}  // namespace vorlune
