#include "ui/property_bag.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

#include "shell/shell_text.hpp"

namespace vorlune::ui {

namespace {

using saver::UpperAscii;

std::string KeyOf(std::string_view key) {
    std::string upper(key);
    for (char& c : upper) c = UpperAscii(c);
    return upper;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
    return true;
}

// All of text as a number of type T, or nothing (out of range included).
template <typename T>
std::optional<T> ParseWhole(std::string_view text) {
    T value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::optional<bool> ParseBoolean(std::string_view text) {
    if (EqualsIgnoringCase(text, "True") || text == "-1" || text == "1") return true;
    if (EqualsIgnoringCase(text, "False") || text == "0") return false;
    return std::nullopt;
}

std::optional<bool> ParseFlag(std::string_view text) {
    if (text == "1") return true;
    if (text == "0") return false;
    return std::nullopt;
}

template <typename T>
T ReadNumber(const PropertyBag& bag, std::string_view key, T readingDefault) {
    const auto text = bag.Read(key);
    if (!text) return readingDefault;
    return ParseWhole<T>(*text).value_or(readingDefault);
}

constexpr double kMaxPoints = 2048;

}  // namespace

std::optional<std::string> PropertyBag::Read(std::string_view key) const {
    const auto found = values_.find(KeyOf(key));
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

void PropertyBag::Write(std::string_view key, std::string_view value,
                        std::string_view writingDefault) {
    if (value == writingDefault) {
        values_.erase(KeyOf(key));
    } else {
        values_.insert_or_assign(KeyOf(key), std::string(value));
    }
}

std::string PropertyBag::ReadOr(std::string_view key, std::string_view readingDefault) const {
    auto value = Read(key);
    return value ? std::move(*value) : std::string(readingDefault);
}

std::string FormatFont(const FontDescription& font) {
    std::array<char, 64> points{};
    const auto written = std::to_chars(points.data(), points.data() + points.size(), font.points);
    std::string text = font.name;
    text += ';';
    text.append(points.data(), written.ec == std::errc() ? written.ptr : points.data());
    text += ';' + std::to_string(font.charset);
    text += font.bold ? ";1" : ";0";
    text += font.italic ? ";1" : ";0";
    text += font.underline ? ";1" : ";0";
    return text;
}

std::optional<FontDescription> ParseFont(std::string_view text) {
    // The last five fields are numbers; the name is all before them, ';'
    // included.
    std::array<std::string_view, 5> fields;
    std::string_view rest = text;
    for (std::size_t i = fields.size(); i-- > 0;) {
        const std::size_t separator = rest.rfind(';');
        if (separator == std::string_view::npos) return std::nullopt;
        fields[i] = rest.substr(separator + 1);
        rest = rest.substr(0, separator);
    }
    const auto points = ParseWhole<double>(fields[0]);
    const auto charset = ParseWhole<std::uint8_t>(fields[1]);
    const auto bold = ParseFlag(fields[2]);
    const auto italic = ParseFlag(fields[3]);
    const auto underline = ParseFlag(fields[4]);
    if (!points || !std::isfinite(*points) || *points <= 0 || *points > kMaxPoints || !charset ||
        !bold || !italic || !underline) {
        return std::nullopt;
    }
    return FontDescription{std::string(rest), *points, *charset, *bold, *italic, *underline};
}

CommandProperties ReadCommandProperties(const PropertyBag& bag, const FontDescription& ambient) {
    CommandProperties properties;
    const auto enabled = bag.Read("Enabled");
    properties.enabled = (enabled ? ParseBoolean(*enabled) : std::nullopt).value_or(true);
    properties.caption = bag.ReadOr("Caption", "Command1");
    const auto font = bag.Read("Font");
    properties.font = (font ? ParseFont(*font) : std::nullopt).value_or(ambient);
    properties.firstRun = ReadNumber<std::uint8_t>(bag, "FirstRun", 1);
    properties.fontColour = ReadNumber<std::uint32_t>(bag, "FontColour", 0);
    properties.visible = ReadNumber<std::int16_t>(bag, "Visible", 1);
    return properties;
}

void WriteCommandProperties(PropertyBag& bag, const CommandProperties& properties,
                            const FontDescription& ambient) {
    bag.Write("Enabled", properties.enabled ? "True" : "False", "True");
    bag.Write("Caption", properties.caption, "Command");
    bag.Write("FirstRun", std::to_string(properties.firstRun), "1");
    bag.Write("Font", FormatFont(properties.font), FormatFont(ambient));
    bag.Write("FontColour", std::to_string(properties.fontColour), "0");
    bag.Write("Visible", std::to_string(properties.visible), "1");
}

}  // namespace vorlune::ui
