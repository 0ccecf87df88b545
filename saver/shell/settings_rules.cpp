#include "shell/settings_rules.hpp"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace vorlune::saver {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// True when all of text is one decimal number.
bool IsDecimalNumber(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i])) ++i, ++exponentDigits;
        if (exponentDigits == 0) return false;
    }
    return i == text.size();
}

}  // namespace

std::optional<double> ReadDecimal(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (!IsDecimalNumber(text)) return std::nullopt;
    // The program never changes the C locale: the decimal point is ".".
    return std::strtod(std::string(text).c_str(), nullptr);
}

std::optional<std::int16_t> ReadIniNumber(std::string_view text) {
    if (text.empty()) return 0;
    const std::optional<double> number = ReadDecimal(text);
    if (!number) return std::nullopt;
    const double value = std::floor(*number);
    if (!(value >= std::numeric_limits<std::int16_t>::min() &&
          value <= std::numeric_limits<std::int16_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(value);
}

std::string FormatIniNumber(std::int16_t value) {
    std::string text(value < 0 ? 0 : 1, ' ');
    text += std::to_string(value);
    return text;
}

std::string FolderOf(std::string_view path, LeadBytePredicate isLead) {
    std::size_t end = 0;  // bytes up to and including the last ":" or "\"
    std::size_t offset = 0;
    while (offset < path.size()) {
        const std::string_view character = CharacterAt(path.substr(offset), 0, isLead);
        offset += character.size();
        if (character == ":" || character == "\\") end = offset;
    }
    std::string folder(path.substr(0, end));
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

std::string WithoutTrailingSeparator(std::string_view path, LeadBytePredicate isLead) {
    if (EndsWithSeparator(path, isLead)) path.remove_suffix(1);
    return std::string(path);
}

MusicFile MusicFileOf(std::string_view path, LeadBytePredicate isLead) {
    const std::string ending = UpperAscii(LastCharacters(path, 3, isLead), isLead);
    if (ending == "WAV") return MusicFile::Wav;
    if (ending == "MP3") return MusicFile::Mp3;
    return MusicFile::Other;
}

void LoadSettingsFrom(SettingsValues& values, const SettingsSource& source) {
    if (const auto kind = ReadIniNumber(source.read(kKindKey))) values.kind = *kind;
    if (const auto repeat = ReadIniNumber(source.read(kRepeatKey))) values.repeat = *repeat;

    values.file = source.read(kFileKey);
    if (!values.file.empty() && !source.fileExists(values.file)) values.file.clear();
    if (values.file.empty() && values.kind == kFileMusic) values.kind = kNoMusic;

    values.folder =
        values.file.empty() ? source.programFolder : FolderOf(values.file, source.isLead);
}

}  // namespace vorlune::saver
