#include "shell/win32_failure.hpp"

#include <windows.h>

#include <string>

namespace vorlune::saver {

void ReportFailure(const char* call) {
    const DWORD code = GetLastError();
    std::string text = call;
    text += ": ";
    char* systemText = nullptr;
    const DWORD length =
        code == 0
            ? 0
            : FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&systemText), 0, nullptr);
    if (length > 0 && systemText != nullptr) {
        std::string message(systemText, length);
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                    message.back() == ' ' || message.back() == '.')) {
            message.pop_back();
        }
        text += message;
    } else {
        text += "the system gave no reason";
    }
    LocalFree(systemText);
    text += " (error " + std::to_string(code) + ")\r\n";
    OutputDebugStringA(text.c_str());
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    SetLastError(code);
}

}  // namespace vorlune::saver
