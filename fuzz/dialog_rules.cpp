// The settings dialog's save rules on arbitrary typed text and layout bags.
// The input's first line is typed repeat text, its second a font text; the
// rest are a control's stored properties, one "key=value" a line. The first
// four bytes also serve as a number to format. Beyond the sanitizers: what
// the dialog saves the settings file reads back, formatted numbers and fonts
// read back as they were, and stored properties read back as written.

#include "ui/dialog_rules.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "check.hpp"
#include "shell/settings_rules.hpp"
#include "ui/property_bag.hpp"

namespace {

using namespace vorlune::ui;

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
    if (typed.find_first_of("0123456789") == std::string_view::npos) Check(repeat == 0);

    std::int32_t value = 0;
    std::memcpy(&value, data, std::min(size, sizeof value));
    const std::string text = FormatHashHash(value);
    Check(value == 0 ? text.empty() : std::strtoll(text.c_str(), nullptr, 10) == value);
    const auto shortValue = static_cast<std::int16_t>(value);
    Check(RepeatFromText(" " + FormatHashHash(shortValue) + "\t") == shortValue);
    // A saved repeat is written as the settings file writes numbers, and
    // loaded again from there.
    for (const std::int16_t saved : {repeat, shortValue})
        Check(vorlune::saver::ReadIniNumber(vorlune::saver::FormatIniNumber(saved)) == saved);

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
    if (read.font != ambient) CheckFont(read.font, *bag.Read("Font"));

    // What is written back reads back the same, but for the caption
    // "Command", which is not stored and so reads as "Command1".
    PropertyBag written;
    WriteCommandProperties(written, read, ambient);
    CommandProperties expected = read;
    if (expected.caption == "Command") expected.caption = "Command1";
    Check(ReadCommandProperties(written, ambient) == expected);
    return 0;
}
