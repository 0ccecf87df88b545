#include "forms/win32_failure.hpp"

#include <windows.h>

#include <string>

#include "frame/win32_error.hpp"

namespace vorlune::forms {

void ReportFailure(const char* call) {
    const DWORD code = GetLastError();
    const std::string text = describeSystemError(call, code) + "\r\n";
    OutputDebugStringA(text.c_str());
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    SetLastError(code);
}

}  // namespace vorlune::forms
