// The settings loader on arbitrary settings files. The input is the file: a
// key's value is what follows "key=" at the start of its first line (up to
// the line's end or a NUL, at most 255 bytes, as the profile service hands
// values back), and whether the music file exists is decided from the
// input's bytes. The loader must leave only values that came from the file,
// from what it held before, or the documented fallbacks; a number it reads
// is the C library's reading rounded down.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "check.hpp"
#include "shell/settings_rules.hpp"

namespace {

using namespace vorlune::saver;

std::string ValueOf(std::string_view file, std::string_view key) {
    const std::string start = std::string(key) + "=";
    for (std::size_t line = 0; line < file.size();) {
        const std::size_t end = std::min(file.find_first_of("\r\n", line), file.size());
        if (file.substr(line, end - line).starts_with(start)) {
            std::string_view value = file.substr(line + start.size(), end - line - start.size());
            value = value.substr(0, std::min({value.find('\0'), value.size(), std::size_t{255}}));
            return std::string(value);
        }
        line = end + 1;
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view file(reinterpret_cast<const char*>(data), size);
    const unsigned flags = size > 0 ? data[0] : 0;

    SettingsSource source;
    source.isLead = (flags & 2) != 0 ? IsCp932LeadByte : IsSingleByte;
    source.programFolder = "C:\\Program Files\\\x83\x5c\x83\x74\x83\x67";  // ends in "ソフト"
    int reads = 0;
    source.read = [&](const char* key) {
        ++reads;
        const std::string_view name(key);
        Check(name == kKindKey || name == kRepeatKey || name == kFileKey);
        return ValueOf(file, name);
    };
    source.fileExists = [&](const std::string& path) {
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
    Check(reads == 3);

    // A readable number replaces the old value; anything else keeps it.
    const std::string kindText = ValueOf(file, kKindKey);
    const std::string repeatText = ValueOf(file, kRepeatKey);
    Check(values.repeat == ReadIniNumber(repeatText).value_or(before.repeat));
    const std::int16_t kind = ReadIniNumber(kindText).value_or(before.kind);
    Check(values.kind == kind || (kind == 2 && values.kind == 0 && values.file.empty()));
    Check(values.kind != 2 || !values.file.empty());
    for (const std::string* text : {&kindText, &repeatText}) {
        const std::optional<std::int16_t> read = ReadIniNumber(*text);
        if (read && !text->empty()) Check(std::floor(std::strtod(text->c_str(), nullptr)) == *read);
    }

    // The file is the file's own text or nothing; the folder is the program's
    // or a leading part of the file.
    const std::string fileText = ValueOf(file, kFileKey);
    Check(values.file.empty() || values.file == fileText);
    if (values.file.empty()) {
        Check(values.folder == source.programFolder);
    } else {
        Check(values.file.compare(0, values.folder.size(), values.folder) == 0);
    }
    return 0;
}
