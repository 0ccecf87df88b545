#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "shell/settings_values.hpp"
#include "shell/shell_names.hpp"
#include "shell/shell_text.hpp"

namespace vorlune::saver {

// A decimal number (sign, fraction and exponent allowed) with blanks around
// it; nothing when the text is anything else, the empty text included. Too
// large a number reads as an infinity of its sign.
std::optional<double> ReadDecimal(std::string_view text);

// A number value of the settings file: the empty text reads as 0; otherwise
// the text, with blanks around it, must be a decimal number (sign, fraction
// and exponent allowed), and its integer part, rounded down, must fit in 16
// bits. No value when it does not: the caller keeps what it had.
std::optional<std::int16_t> ReadIniNumber(std::string_view text);

// The way numbers are written: decimal with one leading blank when not
// negative (" 2"), a minus sign otherwise ("-3").
std::string FormatIniNumber(std::int16_t value);

// The folder part of a path: up to the last ":" or "\", without a trailing
// "\". D:\Music\a.mp3 gives D:\Music, D:a.mp3 gives D:, a.mp3 gives nothing.
std::string FolderOf(std::string_view path, LeadBytePredicate isLead);

// The path as the file system is asked about it: one trailing "\" dropped.
std::string WithoutTrailingSeparator(std::string_view path, LeadBytePredicate isLead);

// The kind of a music file by its last three characters, upper-cased.
enum class MusicFile { Other, Wav, Mp3 };
MusicFile MusicFileOf(std::string_view path, LeadBytePredicate isLead);

struct SettingsValues {
    std::int16_t kind = kNoMusic;
    std::int16_t repeat = 0;
    std::string file;
    std::string folder;
};

// Where LoadSettings gets its facts: one value of the settings file by key
// (empty when missing), and whether a file can be opened for reading.
struct SettingsSource {
    std::function<std::string(const char* key)> read;
    std::function<bool(const std::string& path)> fileExists;
    std::string programFolder;
    LeadBytePredicate isLead = IsSingleByte;
};

// Fills values from the settings file; a value that cannot be read keeps what
// it held before.
void LoadSettingsFrom(SettingsValues& values, const SettingsSource& source);

}  // namespace vorlune::saver
