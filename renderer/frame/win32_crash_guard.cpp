#include "frame/win32_crash_guard.hpp"

#include <windows.h>

#include <atomic>
#include <exception>

namespace vorlune {

namespace {

void (*restoreOnCrash)() = nullptr;
std::atomic_flag crashed;  // clear

// Only the first crash restores: a second thread's, or one inside restore
// itself, goes straight on to the end.
void restoreOnce() {
    if (!crashed.test_and_set() && restoreOnCrash != nullptr) restoreOnCrash();
}

LONG WINAPI onUnhandledException(EXCEPTION_POINTERS*) {
    restoreOnce();
    // The thread's own handler then ends the process with the exception's code.
    return EXCEPTION_EXECUTE_HANDLER;
}

[[noreturn]] void onTerminate() {
    restoreOnce();
    // Not abort(): its runtime shows a message box first, whose loop would
    // run our window procedures again.
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;) Sleep(INFINITE);  // not reached
}

}  // namespace

void installCrashGuard(void (*restore)()) {
    restoreOnCrash = restore;
    SetUnhandledExceptionFilter(onUnhandledException);
    std::set_terminate(onTerminate);
}

}  // namespace vorlune
