#pragma once

#include <windows.h>

#include <string>

namespace vorlune {

// "<call>: <the system's text for code> (error <code>)", for telling the user
// which system call failed and why.
std::string describeSystemError(const char* call, DWORD code);

}  // namespace vorlune
