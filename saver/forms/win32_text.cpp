#include "forms/win32_text.hpp"

#include <vector>

#include "frame/win32_error.hpp"

namespace vorlune::forms {

std::wstring Widen(std::string_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (wide <= 0) {
        traceFailedCall("MultiByteToWideChar");
        return {};
    }
    std::wstring result(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), length, result.data(), wide);
    return result;
}

std::wstring Widen(std::u8string_view text) {
    return Widen(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()),
                 CP_UTF8);
}

std::optional<std::string> InSystemCodePage(std::wstring_view text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    // No best fit ("L" for "Ł"): what has no counterpart becomes the default
    // character, and the way back tells. A system whose code page is UTF-8
    // takes no such flag (and can spell all but broken surrogates).
    const DWORD flags = GetACP() == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int bytes =
        WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::nullopt;
    std::string result(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, flags, text.data(), length, result.data(), bytes, nullptr, nullptr);
    if (Widen(result) != text) return std::nullopt;
    return result;
}

std::optional<std::string> AnsiPath(const std::wstring& path) {
    if (auto spelt = InSystemCodePage(path)) return spelt;
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0) {
        // A file not there yet has no short form of its own: its folder's,
        // with its own name where that can be spelt.
        const std::size_t separator = path.find_last_of(L'\\');
        if (GetLastError() == ERROR_FILE_NOT_FOUND && separator != std::wstring::npos &&
            separator + 1 < path.size()) {
            const auto folder = AnsiPath(path.substr(0, separator));
            const auto name = InSystemCodePage(std::wstring_view(path).substr(separator + 1));
            if (folder && name) return *folder + "\\" + *name;
        }
        traceFailedCall("GetShortPathNameW");
        return std::nullopt;
    }
    std::vector<wchar_t> shortPath(needed);
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), needed);
    if (length == 0 || length >= needed) {
        traceFailedCall("GetShortPathNameW");
        return std::nullopt;
    }
    // A volume without short names gives the long one back: no use either.
    return InSystemCodePage(std::wstring_view(shortPath.data(), length));
}

}  // namespace vorlune::forms
