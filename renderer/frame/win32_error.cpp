#include "frame/win32_error.hpp"

namespace vorlune {

std::string describeSystemError(const char* call, DWORD code) {
    std::string text = call;
    text += ": ";
    if (code == 0) {
        // Some calls (ChoosePixelFormat among them) fail without setting an error code.
        text += "the system gave no reason";
        return text;
    }
    char* systemText = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&systemText), 0, nullptr);
    if (length > 0 && systemText != nullptr) {
        std::string message(systemText, length);
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                    message.back() == ' ' || message.back() == '.')) {
            message.pop_back();
        }
        text += message;
        text += ' ';
    }
    LocalFree(systemText);
    text += "(error " + std::to_string(code) + ")";
    return text;
}

}  // namespace vorlune
