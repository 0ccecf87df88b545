#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// A form layout's stored properties of one control, and the push button's
// persisted properties with their reading and writing defaults.
namespace vorlune::ui {

// Keys are matched without regard to (ASCII) case; values are text.
class PropertyBag {
  public:
    std::optional<std::string> Read(std::string_view key) const;
    // Stores value unless it equals the writing default; a value equal to
    // the default removes what the key held.
    void Write(std::string_view key, std::string_view value, std::string_view writingDefault);
    std::string ReadOr(std::string_view key, std::string_view readingDefault) const;
    bool Empty() const { return values_.empty(); }
    std::size_t Size() const { return values_.size(); }

  private:
    std::map<std::string, std::string> values_;  // by upper-cased key
};

// A font as layouts store it.
struct FontDescription {
    std::string name;          // UTF-8
    double points = 0;         // 9.75
    std::uint8_t charset = 0;  // 128 Shift-JIS
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool operator==(const FontDescription&) const = default;
};
// "name;points;charset;bold;italic;underline", and back (nothing when the
// text is not one).
std::string FormatFont(const FontDescription& font);
std::optional<FontDescription> ParseFont(std::string_view text);

struct CommandProperties {
    bool enabled = true;
    std::string caption = "Command1";
    FontDescription font;
    std::uint8_t firstRun = 1;
    std::uint32_t fontColour = 0;
    std::int16_t visible = 1;  // 1 opaque background, 0 transparent
    bool operator==(const CommandProperties&) const = default;
};

// Reads in the order Enabled, Caption, Font, FirstRun, FontColour, Visible;
// missing or unreadable values take the reading defaults ("Command1" for the
// caption, the ambient font for the font).
CommandProperties ReadCommandProperties(const PropertyBag& bag, const FontDescription& ambient);
// Writes in the order Enabled, Caption, FirstRun, Font, FontColour, Visible;
// values equal to the writing defaults ("Command" for the caption) are not
// stored.
void WriteCommandProperties(PropertyBag& bag, const CommandProperties& properties,
                            const FontDescription& ambient);

}  // namespace vorlune::ui
