#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// Texts between the program's byte strings and the system's wide entry
// points. What a person reads goes to the system as UTF-16, whatever the
// system's code page; what is stored or compared keeps its bytes.
namespace vorlune::forms {

// Bytes of the given code page (CP_ACP: the system's) as UTF-16.
std::wstring Widen(std::string_view text, UINT codePage = CP_ACP);
// UTF-8 as UTF-16.
std::wstring Widen(std::u8string_view text);

// The text in the system's code page, or nothing when one of its characters
// has no exact counterpart there (the system would put a "?" or a look-alike
// in its place).
std::optional<std::string> InSystemCodePage(std::wstring_view text);

// A path for the system's ANSI entry points: the path itself where the
// system's code page can spell it, else its short (8.3) form where the
// volume keeps one and that can be spelt; for a file not there yet, its
// folder's short form and its own name. Nothing when none of these can be
// spelt or had.
std::optional<std::string> AnsiPath(const std::wstring& path);

}  // namespace vorlune::forms
