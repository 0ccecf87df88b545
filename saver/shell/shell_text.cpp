#include "shell/shell_text.hpp"

namespace vorlune::saver {

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool IsSingleByte(unsigned char) {
    return false;
}

namespace {

// Length in bytes of the character that starts at offset.
std::size_t CharacterLength(std::string_view text, std::size_t offset, LeadBytePredicate isLead) {
    if (isLead(static_cast<unsigned char>(text[offset])) && offset + 1 < text.size()) return 2;
    return 1;
}

}  // namespace

std::size_t CharacterCount(std::string_view text, LeadBytePredicate isLead) {
    std::size_t count = 0;
    for (std::size_t offset = 0; offset < text.size();
         offset += CharacterLength(text, offset, isLead)) {
        ++count;
    }
    return count;
}

std::string_view CharacterAt(std::string_view text, std::size_t index, LeadBytePredicate isLead) {
    std::size_t offset = 0;
    for (std::size_t i = 0; offset < text.size(); ++i) {
        const std::size_t length = CharacterLength(text, offset, isLead);
        if (i == index) return text.substr(offset, length);
        offset += length;
    }
    return {};
}

std::string_view LastCharacters(std::string_view text, std::size_t count,
                                LeadBytePredicate isLead) {
    const std::size_t total = CharacterCount(text, isLead);
    if (count >= total) return text;
    std::size_t offset = 0;
    for (std::size_t i = 0; i < total - count; ++i) offset += CharacterLength(text, offset, isLead);
    return text.substr(offset);
}

bool EndsWithSeparator(std::string_view text, LeadBytePredicate isLead) {
    return LastCharacters(text, 1, isLead) == "\\";
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string UpperAscii(std::string_view text, LeadBytePredicate isLead) {
    std::string upper(text);
    for (std::size_t offset = 0; offset < upper.size();) {
        const std::size_t length = CharacterLength(upper, offset, isLead);
        if (length == 1) upper[offset] = UpperAscii(upper[offset]);
        offset += length;
    }
    return upper;
}

}  // namespace vorlune::saver
