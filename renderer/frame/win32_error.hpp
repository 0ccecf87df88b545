#pragma once

#include <windows.h>

#include <string>

namespace vorlune {

// "<call>: <the system's text for code> (error <code>)", for telling the user
// which system call failed and why.
std::string describeSystemError(const char* call, DWORD code);

// Both programs go on past a failing step that is no reason to stop, without
// bothering the user; this leaves a trace of it for whoever looks: the
// program's name and the text, on the debugger's output and on the standard
// error stream, when there is one.
void traceFailure(const std::string& text);
// The same for the system call that has just failed: describeSystemError with
// GetLastError's code, which is left as it was. Call it right after the
// failing call, before anything else changes the last error.
void traceFailedCall(const char* call);

}  // namespace vorlune
