#include "ui/dialog_rules.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <system_error>

namespace vorlune::ui {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Where a decimal number's parts are, when all of text is one.
struct DecimalParts {
    std::string_view integer;
    std::string_view fraction;
    bool negativeExponent = false;
    std::string_view exponent;
};

std::optional<DecimalParts> SplitDecimalNumber(std::string_view text) {
    DecimalParts parts;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t start = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    parts.integer = text.substr(start, i - start);
    if (i < text.size() && text[i] == '.') {
        start = ++i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        parts.fraction = text.substr(start, i - start);
    }
    if (parts.integer.empty() && parts.fraction.empty()) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            parts.negativeExponent = text[i++] == '-';
        start = i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        parts.exponent = text.substr(start, i - start);
        if (parts.exponent.empty()) return std::nullopt;
    }
    if (i != text.size()) return std::nullopt;
    return parts;
}

// True when a number too far from 1 for a double is huge rather than tiny:
// its decimal order, digits before the point plus the exponent, is
// positive.
bool IsHuge(const DecimalParts& parts) {
    constexpr long long kLimit = 1'000'000'000;
    long long order = 0;
    const std::size_t firstDigit = parts.integer.find_first_not_of('0');
    if (firstDigit != std::string_view::npos) {
        order = static_cast<long long>(parts.integer.size() - firstDigit);
    } else {
        const std::size_t firstFraction = parts.fraction.find_first_not_of('0');
        if (firstFraction == std::string_view::npos) return false;  // zero
        order = -static_cast<long long>(firstFraction);
    }
    long long exponent = 0;
    for (const char digit : parts.exponent)
        exponent = std::min(kLimit, exponent * 10 + (digit - '0'));
    return parts.negativeExponent ? order - exponent > 0 : order + exponent > 0;
}

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
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    const auto parts = SplitDecimalNumber(text);
    if (!parts) return 0;
    const bool negative = text.front() == '-';
    // from_chars takes no '+' sign.
    if (text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        value = IsHuge(*parts) ? std::numeric_limits<double>::infinity() : 0.0;
        if (negative) value = -value;
    } else if (error != std::errc() || stop != text.data() + text.size()) {
        return 0;
    }
    // nearbyint under the default rounding mode: ties to even.
    return static_cast<std::int16_t>(std::clamp(std::nearbyint(value), kShortMin, kShortMax));
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
