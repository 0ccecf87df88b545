#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The settings dialog's arithmetic: where it opens, its painted gradients,
// its repeat list and how typed repeat text is saved.
namespace vorlune::ui {

// A number with the digit pattern "##": no digit for zero ("" for 0, "7",
// "-3").
std::string FormatHashHash(std::int32_t value);

// The typed repeat text as saved: a decimal number (sign, fraction,
// exponent, blanks around it) rounded to the nearest integer, ties to even;
// anything else 0. Numbers beyond the 16-bit range are held at its ends.
std::int16_t RepeatFromText(std::string_view text);

// The dialog's place in twips: centred across, one third down.
struct TwipPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const TwipPoint&) const = default;
};
TwipPoint DialogPlace(double screenWidth, double screenHeight, double dialogWidth,
                      double dialogHeight);

// The level v of pixel row y (0..height inclusive) of a painted background
// of the given client height: round(|sin(y / (height / 3.142)) * 220|).
int GradientLevel(int y, int height);

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};
// The form's row colour (v, v, v + 30) and the panel's (v + 30 each).
Rgb FormRowColour(int level);
Rgb PanelRowColour(int level);

}  // namespace vorlune::ui
