#include "ui/face_geometry.hpp"

#include <gtest/gtest.h>

namespace vorlune::ui {
namespace {

TEST(FaceSlices, FrameThePictureAroundTheControl) {
    // clang-format off
    const std::array<TwipRect, 8> sources = {{  // whatever the control
        {0, 0, 60, 60}, {60, 0, 840, 60}, {900, 0, 60, 60}, {900, 60, 60, 255},
        {900, 315, 60, 60}, {60, 315, 840, 60}, {0, 315, 60, 60}, {0, 60, 60, 255}}};
    const struct {
        int width;
        int height;
        std::array<TwipRect, 8> destinations;
    } cases[] = {
        {1155, 375, {{{0, 0, 60, 60}, {60, 0, 1035, 60}, {1095, 0, 60, 60},
                      {1095, 60, 60, 255}, {1095, 315, 60, 60}, {60, 315, 1035, 60},
                      {0, 315, 60, 60}, {0, 60, 60, 255}}}},
        {615, 315, {{{0, 0, 60, 60}, {60, 0, 495, 60}, {555, 0, 60, 60}, {555, 60, 60, 195},
                     {555, 255, 60, 60}, {60, 255, 495, 60}, {0, 255, 60, 60}, {0, 60, 60, 195}}}},
        // under two corners: no edges, overlapping corners
        {90, 100, {{{0, 0, 60, 60}, {60, 0, 0, 60}, {30, 0, 60, 60}, {30, 60, 60, 0},
                    {30, 40, 60, 60}, {60, 40, 0, 60}, {0, 40, 60, 60}, {0, 60, 60, 0}}}}};
    // clang-format on
    for (const auto& c : cases) {
        const auto slices = FaceSlices(c.width, c.height);
        for (std::size_t i = 0; i < slices.size(); ++i) {
            EXPECT_EQ(slices[i].source, sources[i]) << c.width << 'x' << c.height << " slice " << i;
            EXPECT_EQ(slices[i].destination, c.destinations[i])
                << c.width << 'x' << c.height << " slice " << i;
        }
    }
}

TEST(FaceGeometry, CaptionAndGradient) {
    EXPECT_EQ(CaptionTop(375, 195), 80);
    EXPECT_EQ(CaptionTop(315, 196), 49);  // halves drop
    EXPECT_EQ(CaptionTop(10, 41), -25);   // toward zero, not down

    const FaceGradient upright = FaceGradientColours(false);
    EXPECT_EQ(upright.top, (GradientColour{0xFF00, 0xFF00, 0xFF00}));
    EXPECT_EQ(upright.bottom, (GradientColour{0xC600, 0xC500, 0xD700}));
    const FaceGradient inverted = FaceGradientColours(true);
    EXPECT_EQ(inverted.top, upright.bottom);
    EXPECT_EQ(inverted.bottom, upright.top);
}

}  // namespace
}  // namespace vorlune::ui
