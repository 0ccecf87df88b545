// The settings dialog's save rules on arbitrary typed text and layout bags.
// The input's first line is typed repeat text, its second a font text; the
// rest are a control's stored properties, one "key=value" a line. The first
// eight bytes also serve as a number to format.

#include "ui/dialog_rules.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "ui/property_bag.hpp"

namespace {

using namespace vorlune::ui;

void Check(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::string_view> Lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The documented number pattern, checked on its own: blanks, a sign, digits
// with at most one point (one digit at least), an exponent with digits,
// blanks.
bool IsDecimalText(std::string_view text) {
    static const std::regex pattern(
        R"([ \t]*[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?[ \t]*)");
    return std::regex_match(text.begin(), text.end(), pattern);
}

// The slow way: the C library reads the number (the pattern is a subset of
// what strtod takes, and both round correctly), then ties to even.
std::int16_t ReferenceRepeat(std::string_view text) {
    if (!IsDecimalText(text)) return 0;
    const double value = std::strtod(std::string(text).c_str(), nullptr);
    return static_cast<std::int16_t>(std::clamp(std::nearbyint(value), -32768.0, 32767.0));
}

void CheckFont(const FontDescription& font, std::string_view text) {
    Check(std::isfinite(font.points) && font.points > 0 && font.points <= 2048);
    Check(text.substr(0, font.name.size()) == font.name);
    const auto again = ParseFont(FormatFont(font));
    Check(again && *again == font);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string_view> lines = Lines(input);

    const std::string_view typed = lines[0];
    const std::int16_t repeat = RepeatFromText(typed);
    if (typed.size() <= 64) Check(repeat == ReferenceRepeat(typed));

    std::int64_t wide = 0;
    std::memcpy(&wide, data, std::min<std::size_t>(size, sizeof wide));
    for (const std::int32_t value :
         {static_cast<std::int32_t>(wide), static_cast<std::int32_t>(repeat)}) {
        const std::string text = FormatHashHash(value);
        if (value == 0) {
            Check(text.empty());
        } else {
            Check(!text.empty() && text != "-" && text[text.front() == '-' ? 1 : 0] != '0');
            Check(std::strtoll(text.c_str(), nullptr, 10) == value);
        }
    }

    const std::string_view fontText = lines.size() > 1 ? lines[1] : std::string_view();
    if (const auto font = ParseFont(fontText)) CheckFont(*font, fontText);

    PropertyBag bag;
    for (std::size_t n = 2; n < lines.size(); ++n) {
        const std::size_t equals = lines[n].find('=');
        if (equals == std::string_view::npos) continue;
        bag.Write(lines[n].substr(0, equals), lines[n].substr(equals + 1), "\x01none");
    }
    const FontDescription ambient{"MS UI", 9, 128, false, false, false};
    const CommandProperties read = ReadCommandProperties(bag, ambient);
    Check(read.caption == bag.ReadOr("Caption", "Command1"));
    if (!bag.Read("Font")) Check(read.font == ambient);
    if (read.font != ambient) CheckFont(read.font, *bag.Read("Font"));
    if (!bag.Read("Visible")) Check(read.visible == 1);
    if (!bag.Read("FirstRun")) Check(read.firstRun == 1);

    // What is written back reads back the same, but for the caption
    // "Command", which is not stored and so reads as "Command1".
    PropertyBag written;
    WriteCommandProperties(written, read, ambient);
    CommandProperties expected = read;
    if (expected.caption == "Command") expected.caption = "Command1";
    Check(ReadCommandProperties(written, ambient) == expected);
    return 0;
}
