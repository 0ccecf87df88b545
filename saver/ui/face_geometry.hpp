#pragma once

#include <array>
#include <cstdint>

// Where the push button's face comes from and goes: eight slices of a
// 960 x 375 twip state picture around a painted gradient, and the caption's
// place. All values in twips.
namespace vorlune::ui {

inline constexpr int kPictureWidth = 960;   // 64 pixels
inline constexpr int kPictureHeight = 375;  // 25 pixels
inline constexpr int kCorner = 60;          // 4 pixels

struct TwipRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipRect&) const = default;
};

struct Slice {
    TwipRect source;
    TwipRect destination;
};

// The eight slices for a control of width x height twips, in painting order:
// top-left, top, top-right, right, bottom-right, bottom, bottom-left, left.
// Edges shorter than nothing (controls under two corners) get length 0.
std::array<Slice, 8> FaceSlices(int width, int height);

// The caption label's top for a control height and a label height.
int CaptionTop(int controlHeight, int labelHeight);

// The face gradient's two colours as the system takes them: 16-bit channels
// with the 8-bit value in the high byte.
struct GradientColour {
    std::uint16_t red = 0;
    std::uint16_t green = 0;
    std::uint16_t blue = 0;
    bool operator==(const GradientColour&) const = default;
};
struct FaceGradient {
    GradientColour top;
    GradientColour bottom;
};
FaceGradient FaceGradientColours(bool inverted);

}  // namespace vorlune::ui
