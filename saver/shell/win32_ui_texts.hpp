#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "shell/ui_texts.hpp"

namespace vorlune::saver {

// The texts in the user's language: Japanese where the user's interface
// language is Japanese, English everywhere else.
const UiTexts& UserTexts();

// Our UTF-8 as the byte strings the forms keep (a button's stored caption,
// a font's name).
std::string Utf8(std::u8string_view text);

// A message box with the program's title as its caption.
void ShowMessage(HWND owner, const std::wstring& text, UINT flags);

}  // namespace vorlune::saver
