#include <gtest/gtest.h>

#include <cstdio>
#include <exception>

#include "frame/win32_crash_guard.hpp"

namespace vorlune {
namespace {

void restore() {
    std::fputs("restored\n", stderr);
    std::fflush(stderr);
}

// (A fault is the renderer's end-to-end scenario, e2e_crash.) The death runs
// in a process of its own: the guard restores once, and the process ends with
// abort's code instead of showing the runtime's message box.
TEST(CrashGuard, RestoresOnTerminateThenEndsTheProcess) {
    EXPECT_EXIT(
        {
            installCrashGuard(restore);
            std::terminate();
        },
        ::testing::ExitedWithCode(3), "^restored\n$");
}

}  // namespace
}  // namespace vorlune
