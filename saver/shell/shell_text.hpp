#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vorlune::saver {

// Tells whether a byte starts a two-byte character in the system code page.
// The Windows build asks the system (IsDBCSLeadByte); tests pass the
// code page 932 rule or a single-byte one.
using LeadBytePredicate = bool (*)(unsigned char);

// Lead bytes of code page 932 (Shift-JIS).
bool IsCp932LeadByte(unsigned char byte);
// A single-byte code page: every byte is a character of its own.
bool IsSingleByte(unsigned char byte);

// The number of characters in text (a two-byte character counts once).
std::size_t CharacterCount(std::string_view text, LeadBytePredicate isLead);
// The character at the given position (0-based), or empty past the end.
std::string_view CharacterAt(std::string_view text, std::size_t index, LeadBytePredicate isLead);
// The last count characters (all of them when there are fewer).
std::string_view LastCharacters(std::string_view text, std::size_t count, LeadBytePredicate isLead);
// True when the last character is a single-byte "\" (not the trail byte of a
// two-byte character such as "ソ").
bool EndsWithSeparator(std::string_view text, LeadBytePredicate isLead);

// An ASCII letter upper-cased; every other byte as it is.
char UpperAscii(char c);
// Upper-cases ASCII letters only; the bytes of two-byte characters stay.
std::string UpperAscii(std::string_view text, LeadBytePredicate isLead);

}  // namespace vorlune::saver
