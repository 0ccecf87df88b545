#include "shell/win32_ui_texts.hpp"

#include "forms/win32_text.hpp"
#include "shell/shell_names.hpp"

namespace vorlune::saver {

const UiTexts& UserTexts() {
    static const UiTexts& texts = TextsFor(LanguageFor(GetUserDefaultUILanguage()));
    return texts;
}

std::string Utf8(std::u8string_view text) {
    return {reinterpret_cast<const char*>(text.data()), text.size()};
}

void ShowMessage(HWND owner, const std::wstring& text, UINT flags) {
    MessageBoxW(owner, text.c_str(), forms::Widen(kProgramTitle).c_str(), flags);
}

}  // namespace vorlune::saver
