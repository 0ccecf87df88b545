// The settings loader on arbitrary settings files. The input is the INI file
// itself; a small reader answers the loader the way the profile service does
// for section "Section", and whether the music file exists is decided from
// the input's bytes. The loader must leave only values that came from the
// file, from what it held before, or the documented fallbacks.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "shell/settings_rules.hpp"

namespace {

using namespace vorlune::saver;

// What the profile service hands back for one value: 255 bytes and a NUL.
constexpr std::size_t kValueLimit = 255;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Compares names the way the service does for these: ASCII letters without
// regard to case, the bytes of two-byte characters exactly.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (IsCp932LeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
        if (fold(a[i]) != fold(b[i])) return false;
    }
    return true;
}

// The value of key in section "Section" of the file, empty when missing.
// Lines end at CR or LF; a NUL ends a line's text.
std::string ReadProfile(std::string_view file, std::string_view key) {
    bool inSection = false;
    std::size_t start = 0;
    while (start <= file.size()) {
        const std::size_t end = std::min(file.find_first_of("\r\n", start), file.size());
        std::string_view line = file.substr(start, end - start);
        start = end + 1;
        line = line.substr(0, std::min(line.find('\0'), line.size()));
        line = Trimmed(line);
        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            inSection = SameName(Trimmed(line.substr(1, close - 1)), kSection);
            continue;
        }
        if (!inSection) continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        if (!SameName(Trimmed(line.substr(0, equals)), key)) continue;
        const std::string_view value = Trimmed(line.substr(equals + 1));
        return std::string(value.substr(0, std::min(value.size(), kValueLimit)));
    }
    return {};
}

// The reading of a short plain integer ("-12", " 300 "), done independently.
std::optional<long> PlainInteger(std::string_view text) {
    text = Trimmed(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 4) return std::nullopt;
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const unsigned flags = size > 0 ? data[0] : 0;

    SettingsSource source;
    source.isLead = (flags & 2) != 0 ? IsCp932LeadByte : IsSingleByte;
    source.programFolder = "C:\\Program Files\\\x83\x5c\x83\x74\x83\x67";  // ends in "ソフト"
    int reads = 0;
    int existsAsked = 0;
    source.read = [&](const char* key) {
        ++reads;
        const std::string_view name(key);
        Check(name == kKindKey || name == kRepeatKey || name == kFileKey);
        return ReadProfile(file, name);
    };
    source.fileExists = [&](const std::string& path) {
        ++existsAsked;
        unsigned sum = flags;
        for (const char c : path) sum += static_cast<unsigned char>(c);
        return (sum & 1) != 0;
    };

    SettingsValues before;
    before.kind = static_cast<std::int16_t>(size > 1 ? data[1] % 4 : 2);
    before.repeat = static_cast<std::int16_t>(size > 2 ? data[2] - 128 : 7);
    before.file = "D:\\old.mp3";
    before.folder = "D:\\";
    SettingsValues values = before;
    LoadSettingsFrom(values, source);

    const std::string kindText = ReadProfile(file, kKindKey);
    const std::string repeatText = ReadProfile(file, kRepeatKey);
    const std::string fileText = ReadProfile(file, kFileKey);
    const std::optional<std::int16_t> kindRead = ReadIniNumber(kindText);
    const std::optional<std::int16_t> repeatRead = ReadIniNumber(repeatText);

    Check(reads == 3);
    Check(existsAsked == (fileText.empty() ? 0 : 1));

    // A readable number replaces the old value; anything else keeps it.
    Check(values.repeat == repeatRead.value_or(before.repeat));
    const std::int16_t kind = kindRead.value_or(before.kind);
    Check(values.kind == kind || (kind == 2 && values.kind == 0 && values.file.empty()));
    Check(values.kind != 2 || !values.file.empty());

    // The number reading agrees with an independent one where that is easy.
    for (const std::string* text : {&kindText, &repeatText}) {
        const std::optional<std::int16_t> read = ReadIniNumber(*text);
        if (const auto plain = PlainInteger(*text)) Check(read && *read == *plain);
        if (read && !text->empty()) {
            const double parsed =
                std::floor(std::strtod(std::string(Trimmed(*text)).c_str(), nullptr));
            Check(parsed == *read);
        }
    }

    // The file is the file's own text or nothing; the folder is the program's
    // or a leading part of the file.
    Check(values.file.empty() || values.file == fileText);
    Check(values.file.size() <= kValueLimit);
    if (values.file.empty()) {
        Check(values.folder == source.programFolder);
    } else {
        Check(values.file.compare(0, values.folder.size(), values.folder) == 0);
    }
    Check(values.folder.size() <= kValueLimit + source.programFolder.size());
    return 0;
}
