#include "ui/dialog_rules.hpp"

#include <gtest/gtest.h>

namespace vorlune::ui {
namespace {

TEST(DialogRules, HashHashAndRepeatText) {
    EXPECT_EQ(FormatHashHash(0), "");
    EXPECT_EQ(FormatHashHash(7), "7");
    EXPECT_EQ(FormatHashHash(-3), "-3");

    // Rounded to the nearest, ties to even, and held at the 16-bit range's ends;
    // what is no number (the settings file's numbers, read alike) saves as 0.
    // clang-format off
    const struct {
        const char* text;
        int repeat;
    } cases[] = {
        {"2.5", 2}, {"3.5", 4}, {"-1.5", -2}, {"-0.5", 0}, {" 7 ", 7}, {"25E-1", 2},
        {"2.5000001", 3}, {"99999", 32767}, {"-99999", -32768}, {"32767.5", 32767},
        {"1e999", 32767}, {"-1e999", -32768}, {"1e-999", 0}, {"abc", 0}, {"1,000", 0}, {"", 0}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(RepeatFromText(c.text), c.repeat) << '"' << c.text << '"';
}

TEST(DialogRules, PlaceAndGradients) {
    // Rounded to even first, then divided dropping the fraction.
    EXPECT_EQ(DialogPlace(100.5, 106.5, 96, 100), (TwipPoint{2, 2}));
    EXPECT_EQ(DialogPlace(101.5, 107.5, 96, 100), (TwipPoint{3, 2}));
    EXPECT_EQ(DialogPlace(0, 0, 7, 7.5), (TwipPoint{-3, -2}));

    EXPECT_EQ(GradientLevel(0, 0), 0);
    for (const int height : {2, 300, 451, 768}) {
        EXPECT_EQ(GradientLevel(0, height), 0) << height;
        EXPECT_EQ(GradientLevel(height, height), 0) << height;
        EXPECT_EQ(GradientLevel(height / 2, height), 220) << height;
    }
    EXPECT_EQ(GradientLevel(100, 600), 110);  // sin(0.5236) * 220 = 110.02

    EXPECT_EQ(FormRowColour(0), (Rgb{0, 0, 30}));
    EXPECT_EQ(FormRowColour(220), (Rgb{220, 220, 250}));
    EXPECT_EQ(PanelRowColour(220), (Rgb{250, 250, 250}));
    EXPECT_EQ(PanelRowColour(300), (Rgb{255, 255, 255}));
}

}  // namespace
}  // namespace vorlune::ui
