#pragma once

// What every end-to-end test driver needs: checks that print what failed,
// and a clock in milliseconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vorlune::e2e {

inline int failures = 0;

inline void check(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAIL: %s\n", what);
        ++failures;
    }
}

// Ends the command now: nothing after this check can be meaningful.
[[noreturn]] inline void fatal(const std::string& what) {
    std::printf("FAIL: %s (GetLastError %lu)\n", what.c_str(), GetLastError());
    std::fflush(stdout);
    std::exit(1);
}

// The command's exit code: 0 when every check held.
inline int result() {
    return failures == 0 ? 0 : 1;
}

inline double nowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace vorlune::e2e
