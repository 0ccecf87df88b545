#include "ui/dialog_rules.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "shell/settings_rules.hpp"

namespace vorlune::ui {

namespace {

std::uint8_t Channel(long long value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0LL, 255LL));
}

constexpr double kShortMin = std::numeric_limits<std::int16_t>::min();
constexpr double kShortMax = std::numeric_limits<std::int16_t>::max();

}  // namespace

std::string FormatHashHash(std::int32_t value) {
    return value == 0 ? std::string() : std::to_string(value);
}

std::int16_t RepeatFromText(std::string_view text) {
    const std::optional<double> value = saver::ReadDecimal(text);
    if (!value) return 0;
    // nearbyint under the default rounding mode: ties to even.
    return static_cast<std::int16_t>(std::clamp(std::nearbyint(*value), kShortMin, kShortMax));
}

TwipPoint DialogPlace(double screenWidth, double screenHeight, double dialogWidth,
                      double dialogHeight) {
    // Rounded to whole twips, ties to even, then divided with the fraction
    // dropped.
    const auto whole = [](double twips) {
        constexpr double kMin = std::numeric_limits<std::int32_t>::min();
        constexpr double kMax = std::numeric_limits<std::int32_t>::max();
        const double rounded = std::nearbyint(twips);
        if (std::isnan(rounded)) return std::int32_t{0};
        return static_cast<std::int32_t>(std::clamp(rounded, kMin, kMax));
    };
    return {whole(screenWidth - dialogWidth) / 2, whole(screenHeight - dialogHeight) / 3};
}

int GradientLevel(int y, int height) {
    if (height == 0) return 0;
    const double k = height / 3.142;
    return static_cast<int>(std::nearbyint(std::fabs(std::sin(y / k) * 220)));
}

Rgb FormRowColour(int level) {
    return {Channel(level), Channel(level), Channel(level + 30LL)};
}

Rgb PanelRowColour(int level) {
    return {Channel(level + 30LL), Channel(level + 30LL), Channel(level + 30LL)};
}

}  // namespace vorlune::ui
