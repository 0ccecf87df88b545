#pragma once

namespace vorlune::forms {

// A program on these forms goes on past a failing step without bothering the
// user; this leaves a trace for whoever looks: "<call>: <the system's text>
// (error N)" on the debug output and on the standard error stream, when
// there is one. Call it right after the failing call, before anything
// changes the last error.
void ReportFailure(const char* call);

}  // namespace vorlune::forms
