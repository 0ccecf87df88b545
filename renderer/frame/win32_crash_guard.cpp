#include "frame/win32_crash_guard.hpp"

#include <windows.h>

#include <atomic>
#include <exception>

#include "frame/win32_error.hpp"

namespace vorlune {

namespace {

constexpr UINT kRestoreMessage = WM_APP;
// How long a crashing thread waits for the installing thread to restore.
constexpr UINT kAnswerMs = 2000;

void (*restoreOnCrash)() = nullptr;
DWORD installingThread = 0;
// A message-only window of the installing thread: another thread's crash
// asks it to restore there.
HWND guardWindow = nullptr;
std::atomic_flag crashed;  // clear

LRESULT CALLBACK guardProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kRestoreMessage) return DefWindowProcA(window, message, wParam, lParam);
    restoreOnCrash();
    return 1;
}

// Only the first crash restores: a second thread's, or one inside restore
// itself, goes straight on to the end. The windows to take away and the mode
// change belong to the installing thread, which goes on drawing and handling
// messages while another thread dies: restoring beside it could deadlock
// (under Wine, it waits for the display while a mode change waits for it),
// so it is asked to do it itself, between two frames. Only when it does not
// answer does the dying thread restore on its own.
void restoreOnce() {
    if (crashed.test_and_set() || restoreOnCrash == nullptr) return;
    DWORD_PTR answer = 0;
    if (GetCurrentThreadId() != installingThread && guardWindow != nullptr &&
        SendMessageTimeoutA(guardWindow, kRestoreMessage, 0, 0, SMTO_NORMAL, kAnswerMs, &answer) &&
        answer == 1) {
        return;
    }
    restoreOnCrash();
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
    installingThread = GetCurrentThreadId();
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = guardProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VorluneCrashGuard";
    SetLastError(0);
    if (RegisterClassA(&windowClass) == 0) {
        traceFailedCall("RegisterClassA (crash guard)");
    } else {
        guardWindow = CreateWindowExA(0, windowClass.lpszClassName, nullptr, 0, 0, 0, 0, 0,
                                      HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
        if (guardWindow == nullptr) traceFailedCall("CreateWindowExA (crash guard)");
    }
    SetUnhandledExceptionFilter(onUnhandledException);
    std::set_terminate(onTerminate);
}

}  // namespace vorlune
