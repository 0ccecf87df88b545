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

namespace {

// "Vorlune.scr: ", from the program's own file name.
std::string programPrefix() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string name(path, length);
    return name.substr(name.find_last_of("\\/") + 1) + ": ";
}

}  // namespace

void traceFailure(const std::string& text) {
    static const std::string prefix = programPrefix();
    const std::string line = prefix + text + "\r\n";
    OutputDebugStringA(line.c_str());
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}

void traceFailedCall(const char* call) {
    const DWORD code = GetLastError();
    traceFailure(describeSystemError(call, code));
    SetLastError(code);
}

}  // namespace vorlune
