#include "ui/face_geometry.hpp"

#include <algorithm>

namespace vorlune::ui {

std::array<Slice, 8> FaceSlices(int width, int height) {
    constexpr int c = kCorner;
    constexpr int sourceEdgeWidth = kPictureWidth - 2 * c;    // 840
    constexpr int sourceEdgeHeight = kPictureHeight - 2 * c;  // 255
    constexpr int sourceRight = kPictureWidth - c;            // 900
    constexpr int sourceBottom = kPictureHeight - c;          // 315
    const int edgeWidth = std::max(0, width - 2 * c);
    const int edgeHeight = std::max(0, height - 2 * c);
    const int right = width - c;
    const int bottom = height - c;
    return {{
        {{0, 0, c, c}, {0, 0, c, c}},
        {{c, 0, sourceEdgeWidth, c}, {c, 0, edgeWidth, c}},
        {{sourceRight, 0, c, c}, {right, 0, c, c}},
        {{sourceRight, c, c, sourceEdgeHeight}, {right, c, c, edgeHeight}},
        {{sourceRight, sourceBottom, c, c}, {right, bottom, c, c}},
        {{c, sourceBottom, sourceEdgeWidth, c}, {c, bottom, edgeWidth, c}},
        {{0, sourceBottom, c, c}, {0, bottom, c, c}},
        {{0, c, c, sourceEdgeHeight}, {0, c, c, edgeHeight}},
    }};
}

int CaptionTop(int controlHeight, int labelHeight) {
    return (controlHeight - labelHeight - 20) / 2;
}

FaceGradient FaceGradientColours(bool inverted) {
    constexpr GradientColour white{0xFF00, 0xFF00, 0xFF00};
    constexpr GradientColour lavender{198 << 8, 197 << 8, 215 << 8};
    if (inverted) return {lavender, white};
    return {white, lavender};
}

}  // namespace vorlune::ui
