// The shell's end-to-end test driver: a console program run under Wine on
// the same wineserver as Vorlune.scr. It starts the shell as Windows would,
// plays the host of a preview, and looks at the windows the shell makes.
//
// Each command prints what it saw as "key=value" lines and ends with exit
// code 0 when all its checks hold; a failed check prints "FAIL: ..." and
// makes the exit code 1.
#include <windows.h>
// After windows.h.
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver_support.hpp"

namespace {

using namespace vorlune::e2e;

constexpr char kRunCaption[] = "Vorlune_Main";
constexpr char kRendererCaption[] = "VorluneVC";
constexpr char kPreviewCaption[] = "Preview Window";
// "Vorlune.dll が同じﾌｫﾙﾀﾞに見つかりません！" in code page 932.
constexpr char kMissingRendererMessage[] =
    "Vorlune.dll \x82\xaa\x93\xaf\x82\xb6\xcc\xab\xd9\xc0\xde\x82\xc9\x8c\xa9\x82\xc2"
    "\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x49";

// Handles what is sent to the driver's own windows (the preview host) while it waits.
void pump() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Waits up to ms for the process to end, serving the driver's windows meanwhile.
bool waitForExit(HANDLE process, double ms) {
    const double start = nowMs();
    for (;;) {
        const double left = ms - (nowMs() - start);
        if (left <= 0) return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE,
                                                     static_cast<DWORD>(left) + 1, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) return true;
        pump();
    }
}

void sleepPumping(double ms) {
    const double start = nowMs();
    while (nowMs() - start < ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        pump();
    }
}

struct Shell {
    PROCESS_INFORMATION info{};
    double startedMs = 0;
};

// Starts Vorlune.scr the way Windows starts a screen saver: its quoted path,
// then the arguments.
Shell startShell(const char* program, const std::string& arguments) {
    std::string commandLine = std::string("\"") + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    Shell shell;
    shell.startedMs = nowMs();
    if (!CreateProcessA(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &shell.info)) {
        fatal(std::string("CreateProcessA ") + commandLine);
    }
    CloseHandle(shell.info.hThread);
    std::printf("started=%s\n", commandLine.c_str());
    return shell;
}

DWORD exitCode(const Shell& shell) {
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(shell.info.hProcess, &code);
    return code;
}

struct Found {
    const char* caption;
    std::vector<HWND> windows;
};

BOOL CALLBACK collect(HWND window, LPARAM data) {
    auto* found = reinterpret_cast<Found*>(data);
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof(caption));
    if (std::strcmp(caption, found->caption) == 0) found->windows.push_back(window);
    return TRUE;
}

// Top-level windows with exactly this caption, hidden ones included.
std::vector<HWND> windowsCaptioned(const char* caption) {
    Found found{caption, {}};
    EnumWindows(collect, reinterpret_cast<LPARAM>(&found));
    return found.windows;
}

DWORD processOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

// A message box (#32770) of the process, if it shows one.
HWND messageBoxOf(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char className[64] = {};
            GetClassNameA(window, className, sizeof(className));
            if (std::strcmp(className, "#32770") == 0 && processOf(window) == s->processId &&
                IsWindowVisible(window)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The renderer's window of a run just started, within 15 s; ends the
// command when none comes.
HWND waitForRenderer(const Shell& shell) {
    while (nowMs() - shell.startedMs < 15000) {
        const auto found = windowsCaptioned(kRendererCaption);
        if (!found.empty()) return found.front();
        if (waitForExit(shell.info.hProcess, 20)) break;
    }
    fatal("no VorluneVC window within 15 s");
}

// Process ids of the running programs with this file name (any case).
std::vector<DWORD> processesNamed(const char* exeFile) {
    std::vector<DWORD> found;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) fatal("CreateToolhelp32Snapshot");
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exeFile) == 0) found.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
}

// The process behind a window, opened to be waited for, ended and asked.
HANDLE openProcessOf(HWND window) {
    const HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION,
                                       FALSE, processOf(window));
    if (process == nullptr) fatal("OpenProcess");
    return process;
}

DWORD exitCodeOf(HANDLE process) {
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process, &code);
    return code;
}

// run <scr> <arguments>: a full-screen run. The renderer comes up, the hidden
// run form is there, a second start ends at once without a second renderer,
// and the end of the renderer ends the shell within about a second.
int run(const char* program, const char* arguments) {
    Shell shell = startShell(program, arguments);
    HWND renderer = nullptr;
    while (nowMs() - shell.startedMs < 15000 && renderer == nullptr) {
        const auto found = windowsCaptioned(kRendererCaption);
        if (!found.empty()) renderer = found.front();
        if (WaitForSingleObject(shell.info.hProcess, 20) == WAIT_OBJECT_0) break;
    }
    if (renderer == nullptr) fatal("no VorluneVC window within 15 s");
    std::printf("renderer_ms=%.0f\n", nowMs() - shell.startedMs);
    check(processOf(renderer) != shell.info.dwProcessId, "the renderer runs inside the shell");

    const auto runForms = windowsCaptioned(kRunCaption);
    std::printf("run_forms=%zu\n", runForms.size());
    check(runForms.size() == 1, "not exactly one Vorlune_Main window");
    if (runForms.size() == 1) {
        check(processOf(runForms[0]) == shell.info.dwProcessId, "Vorlune_Main is not the shell's");
        check(!IsWindowVisible(runForms[0]), "Vorlune_Main is visible");
        check(GetAncestor(runForms[0], GA_PARENT) == GetDesktopWindow(),
              "Vorlune_Main is not top-level");
    }

    // Past the first ticks of the watch, the run goes on.
    sleepPumping(1200);
    check(WaitForSingleObject(shell.info.hProcess, 0) == WAIT_TIMEOUT,
          "the shell ended while the renderer runs");

    if (std::strcmp(arguments, "/s") == 0) {
        Shell second = startShell(program, "/s");
        const bool ended = waitForExit(second.info.hProcess, 5000);
        std::printf("second_exit_ms=%.0f\n", nowMs() - second.startedMs);
        check(ended, "a second /s did not end while the first runs");
        sleepPumping(700);
        const auto renderers = windowsCaptioned(kRendererCaption);
        std::printf("renderers=%zu\n", renderers.size());
        check(renderers.size() == 1, "a second start started another renderer");
        CloseHandle(second.info.hProcess);
    }

    // The /s run is ended by closing the renderer's window, the other by
    // Escape held down in it, the user's way.
    const double closedMs = nowMs();
    if (std::strcmp(arguments, "/s") == 0) {
        PostMessageA(renderer, WM_CLOSE, 0, 0);
    } else {
        PostMessageA(renderer, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    }
    const bool ended = waitForExit(shell.info.hProcess, 5000);
    const double shellExitMs = nowMs() - closedMs;
    std::printf("shell_exit_ms=%.0f\n", shellExitMs);
    check(ended, "the shell did not end after the renderer's window was closed");
    check(shellExitMs < 1500, "the shell took longer than about a second to follow the renderer");
    check(exitCode(shell) == 0, "the shell's exit code is not 0");
    check(windowsCaptioned(kRunCaption).empty(), "a Vorlune_Main window is left");
    CloseHandle(shell.info.hProcess);
    return result();
}

// ends <scr> <arguments>: the shell ends by itself, quickly, without a renderer or message.
int ends(const char* program, const char* arguments) {
    Shell shell = startShell(program, arguments);
    bool sawRenderer = false;
    bool sawMessage = false;
    bool ended = false;
    while (nowMs() - shell.startedMs < 5000) {
        sawRenderer = sawRenderer || !windowsCaptioned(kRendererCaption).empty();
        sawMessage = sawMessage || messageBoxOf(shell.info.dwProcessId) != nullptr;
        if (waitForExit(shell.info.hProcess, 10)) {
            ended = true;
            break;
        }
    }
    std::printf("exit_ms=%.0f\n", nowMs() - shell.startedMs);
    check(ended, "the shell did not end within 5 s");
    check(!sawRenderer, "a renderer window appeared");
    check(!sawMessage, "a message box appeared");
    if (!ended) TerminateProcess(shell.info.hProcess, 1);
    CloseHandle(shell.info.hProcess);
    return result();
}

// missing <scr> <arguments>: with no Vorlune.dll beside it, the shell says so
// in a message box with the exact text and the program's title, and ends
// once the box is dismissed.
int missing(const char* program, const char* arguments) {
    Shell shell = startShell(program, arguments);
    HWND box = nullptr;
    while (box == nullptr && nowMs() - shell.startedMs < 10000) {
        box = messageBoxOf(shell.info.dwProcessId);
        if (box == nullptr && waitForExit(shell.info.hProcess, 20)) break;
    }
    if (box == nullptr) fatal("no message box");
    char caption[256] = {};
    GetWindowTextA(box, caption, sizeof(caption));
    std::printf("caption=%s\n", caption);
    check(std::strcmp(caption, "Vorlune") == 0,
          "the message box's caption is not the program's title");

    bool textFound = false;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        char text[512] = {};
        GetWindowTextA(child, text, sizeof(text));
        if (std::strcmp(text, kMissingRendererMessage) == 0) textFound = true;
        std::printf("text=");
        for (const char* c = text; *c != 0; ++c)
            std::printf("%02x", static_cast<unsigned char>(*c));
        std::printf("\n");
    }
    check(textFound, "no text of the message box holds the exact message bytes");
    check(windowsCaptioned(kRendererCaption).empty(), "a renderer window appeared");

    // The box is still there until dismissed.
    check(WaitForSingleObject(shell.info.hProcess, 300) == WAIT_TIMEOUT,
          "the shell ended under its message box");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    check(waitForExit(shell.info.hProcess, 3000), "the shell did not end after OK");
    if (WaitForSingleObject(shell.info.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(shell.info.hProcess, 1);
    CloseHandle(shell.info.hProcess);
    return result();
}

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) return 1;
    return DefWindowProcA(window, message, wParam, lParam);
}

// The screen's pixel at (x, y), read back from the screen.
COLORREF screenPixel(int x, int y) {
    const HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, x, y);
    ReleaseDC(nullptr, screen);
    return colour;
}

bool isDark(COLORREF c) {
    return GetRValue(c) < 16 && GetGValue(c) < 16 && GetBValue(c) < 16;
}

// preview <scr> <width> <height>: plays the host window of a preview. The
// preview form becomes its child at (0, 0) with the host's size, shows the
// still in the top-left 152 x 112 pixels and black beyond, and the shell ends
// when the host window goes.
int preview(const char* program, int width, int height) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = hostProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "PreviewHost";
    RegisterClassA(&windowClass);
    const int left = 40;
    const int top = 40;
    const HWND host =
        CreateWindowExA(0, "PreviewHost", "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, left,
                        top, width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (host == nullptr) fatal("CreateWindowExA host");
    pump();
    const std::string arguments = "/p " + std::to_string(reinterpret_cast<INT_PTR>(host));
    Shell shell = startShell(program, arguments);

    HWND form = nullptr;
    while (form == nullptr && nowMs() - shell.startedMs < 10000) {
        form = FindWindowExA(host, nullptr, nullptr, kPreviewCaption);
        if (form == nullptr && waitForExit(shell.info.hProcess, 10)) break;
    }
    if (form == nullptr) fatal("no Preview Window inside the host");
    std::printf("preview_ms=%.0f\n", nowMs() - shell.startedMs);
    check(processOf(form) == shell.info.dwProcessId, "the preview form is not the shell's");
    check(GetParent(form) == host, "the preview form's parent is not the host");
    const auto style = static_cast<DWORD>(GetWindowLongA(form, GWL_STYLE));
    check((style & WS_CHILD) != 0, "the preview form has no WS_CHILD style");
    sleepPumping(800);
    check(IsWindowVisible(form) != FALSE, "the preview form is not visible");

    RECT place{};
    GetWindowRect(form, &place);
    MapWindowPoints(nullptr, host, reinterpret_cast<POINT*>(&place), 2);
    std::printf("form=%ld,%ld,%ld,%ld\n", place.left, place.top, place.right, place.bottom);
    check(place.left == 0 && place.top == 0 && place.right == width && place.bottom == height,
          "the preview form does not cover the host from (0, 0)");
    const HWND image = GetWindow(form, GW_CHILD);
    RECT imagePlace{};
    if (image != nullptr) GetClientRect(image, &imagePlace);
    std::printf("image=%ld,%ld\n", imagePlace.right, imagePlace.bottom);
    check(image != nullptr && imagePlace.right == width && imagePlace.bottom == height,
          "Img_Prev does not have the host's size in pixels");

    // What reaches the screen is reported, not judged. NOTE: Wine does not
    // show a child window of another process inside its parent's X window,
    // so the picture cannot be seen here; the forms tests check the drawing.
    int lit = 0;
    int samples = 0;
    for (int y = 4; y < 112; y += 12) {
        for (int x = 4; x < 152; x += 12) {
            ++samples;
            if (!isDark(screenPixel(left + x, top + y))) ++lit;
        }
    }
    std::printf("screen_picture_lit=%d/%d\n", lit, samples);
    check(WaitForSingleObject(shell.info.hProcess, 0) == WAIT_TIMEOUT,
          "the shell ended while previewing");

    const double destroyedMs = nowMs();
    DestroyWindow(host);
    const bool ended = waitForExit(shell.info.hProcess, 5000);
    std::printf("shell_exit_ms=%.0f\n", nowMs() - destroyedMs);
    check(ended, "the shell did not end when the host window went");
    if (!ended) TerminateProcess(shell.info.hProcess, 1);
    CloseHandle(shell.info.hProcess);
    return result();
}

// Started as Vorlune.dll by the shell (no arguments), the driver stands in
// for the renderer, as VORLUNE_STANDIN says: "slow" opens its VorluneVC
// window only after 2.5 s (a cold GL driver) and ends when it is closed;
// "exit" ends after 0.3 s without ever opening one.
int standIn() {
    const char* mode = std::getenv("VORLUNE_STANDIN");
    if (mode == nullptr) return 3;
    if (std::strcmp(mode, "exit") == 0) {
        Sleep(300);
        return 0;
    }
    Sleep(2500);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) -> LRESULT {
        if (message == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcA(window, message, wParam, lParam);
    };
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "StandIn";
    RegisterClassA(&windowClass);
    if (CreateWindowExA(0, "StandIn", kRendererCaption, WS_POPUP | WS_VISIBLE, 0, 0, 64, 64,
                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr) == nullptr) {
        return 1;
    }
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

// slow-renderer <scr>: a renderer that needs 2.5 s for its window does not
// end the run early, and the run still follows its end.
int slowRenderer(const char* program) {
    SetEnvironmentVariableA("VORLUNE_STANDIN", "slow");
    Shell shell = startShell(program, "/s");
    sleepPumping(1500);
    check(windowsCaptioned(kRendererCaption).empty(), "the stand-in's window came early");
    check(WaitForSingleObject(shell.info.hProcess, 0) == WAIT_TIMEOUT,
          "the shell gave up on a renderer still starting");
    HWND renderer = nullptr;
    while (renderer == nullptr && nowMs() - shell.startedMs < 8000) {
        const auto found = windowsCaptioned(kRendererCaption);
        if (!found.empty()) renderer = found.front();
        sleepPumping(20);
    }
    if (renderer == nullptr) fatal("the stand-in's window did not appear");
    sleepPumping(1200);
    check(WaitForSingleObject(shell.info.hProcess, 0) == WAIT_TIMEOUT,
          "the shell ended during the run");
    const double closedMs = nowMs();
    PostMessageA(renderer, WM_CLOSE, 0, 0);
    const bool ended = waitForExit(shell.info.hProcess, 5000);
    std::printf("shell_exit_ms=%.0f\n", nowMs() - closedMs);
    check(ended && nowMs() - closedMs < 1500, "the shell did not follow the renderer's end");
    if (!ended) TerminateProcess(shell.info.hProcess, 1);
    CloseHandle(shell.info.hProcess);
    return result();
}

// lost-renderer <scr>: a renderer that ends without ever opening its window
// ends the run at the next watch, not after the start-up grace.
int lostRenderer(const char* program) {
    SetEnvironmentVariableA("VORLUNE_STANDIN", "exit");
    Shell shell = startShell(program, "/s");
    const bool ended = waitForExit(shell.info.hProcess, 5000);
    std::printf("exit_ms=%.0f\n", nowMs() - shell.startedMs);
    check(ended && nowMs() - shell.startedMs < 4000, "the shell outlived its lost renderer");
    if (!ended) TerminateProcess(shell.info.hProcess, 1);
    CloseHandle(shell.info.hProcess);
    return result();
}

// hold <scr> <ms>: a /s run kept going for ms after the renderer's window
// showed up (the harness listens to the music meanwhile), then ended by
// closing that window.
int hold(const char* program, int ms) {
    Shell shell = startShell(program, "/s");
    const HWND renderer = waitForRenderer(shell);
    std::printf("renderer_ms=%.0f\n", nowMs() - shell.startedMs);
    std::fflush(stdout);
    sleepPumping(ms);
    check(WaitForSingleObject(shell.info.hProcess, 0) == WAIT_TIMEOUT,
          "the shell ended during the run");
    PostMessageA(renderer, WM_CLOSE, 0, 0);
    check(waitForExit(shell.info.hProcess, 3000), "the shell did not follow the renderer's end");
    if (WaitForSingleObject(shell.info.hProcess, 0) != WAIT_OBJECT_0)
        TerminateProcess(shell.info.hProcess, 1);
    CloseHandle(shell.info.hProcess);
    return result();
}

// kill-renderer <scr> <ms>: a /s run whose renderer is killed from outside
// after ms: the shell follows within about half a second (its watch ticks
// every 500 ms), exit code 0.
int killRenderer(const char* program, int ms) {
    Shell shell = startShell(program, "/s");
    const HWND window = waitForRenderer(shell);
    std::printf("renderer_ms=%.0f\n", nowMs() - shell.startedMs);
    const HANDLE renderer = openProcessOf(window);
    sleepPumping(ms);
    check(WaitForSingleObject(shell.info.hProcess, 0) == WAIT_TIMEOUT,
          "the shell ended during the run");
    const double killedMs = nowMs();
    if (!TerminateProcess(renderer, 9)) fatal("TerminateProcess on the renderer");
    WaitForSingleObject(renderer, 5000);
    const bool ended = waitForExit(shell.info.hProcess, 5000);
    std::printf("shell_exit_ms=%.0f\n", nowMs() - killedMs);
    check(ended, "the shell did not end after its renderer was killed");
    check(nowMs() - killedMs < 1500, "the shell took longer than 1.5 s to follow");
    check(exitCode(shell) == 0, "the shell's exit code is not 0");
    check(windowsCaptioned(kRunCaption).empty(), "a Vorlune_Main window is left");
    if (!ended) TerminateProcess(shell.info.hProcess, 1);
    CloseHandle(renderer);
    CloseHandle(shell.info.hProcess);
    return result();
}

// kill-shell <scr> <ms>: a /s run whose shell is killed after ms: the
// renderer ends as a closed window ends it, exit code 0, its window gone.
int killShell(const char* program, int ms) {
    Shell shell = startShell(program, "/s");
    const HWND window = waitForRenderer(shell);
    std::printf("renderer_ms=%.0f\n", nowMs() - shell.startedMs);
    const HANDLE renderer = openProcessOf(window);
    std::printf("renderer_pid=%lu\n", processOf(window));
    sleepPumping(ms);
    check(WaitForSingleObject(renderer, 0) == WAIT_TIMEOUT, "the renderer ended during the run");
    const double killedMs = nowMs();
    if (!TerminateProcess(shell.info.hProcess, 9)) fatal("TerminateProcess on the shell");
    const bool ended = waitForExit(renderer, 5000);
    std::printf("renderer_exit_ms=%.0f\n", nowMs() - killedMs);
    std::printf("renderer_exit_code=%lu\n", exitCodeOf(renderer));
    check(ended, "the renderer outlived its shell by 5 s");
    check(nowMs() - killedMs < 1500, "the renderer took longer than 1.5 s to follow its shell");
    check(exitCodeOf(renderer) == 0, "the renderer's exit code is not 0");
    check(windowsCaptioned(kRendererCaption).empty(), "a VorluneVC window is left");
    if (!ended) TerminateProcess(renderer, 1);
    CloseHandle(renderer);
    CloseHandle(shell.info.hProcess);
    return result();
}

// orphan <Vorlune.dll>: the renderer started by the driver (not the shell);
// the driver ends as soon as its window is there.
int orphan(const char* renderer) {
    Shell started = startShell(renderer, "");
    const HWND window = waitForRenderer(started);
    std::printf("renderer_pid=%lu\n", processOf(window));
    CloseHandle(started.info.hProcess);
    return result();
}

// close-renderer <ms>: the renderer still runs ms from now, and ends with
// exit code 0 when its window is closed.
int closeRenderer(int ms) {
    sleepPumping(ms);
    const auto found = windowsCaptioned(kRendererCaption);
    if (found.size() != 1) fatal("not exactly one VorluneVC window");
    const HANDLE renderer = openProcessOf(found.front());
    check(WaitForSingleObject(renderer, 0) == WAIT_TIMEOUT, "the renderer has ended");
    PostMessageA(found.front(), WM_CLOSE, 0, 0);
    const bool ended = waitForExit(renderer, 5000);
    check(ended && exitCodeOf(renderer) == 0, "the renderer did not end well on WM_CLOSE");
    if (!ended) TerminateProcess(renderer, 1);
    CloseHandle(renderer);
    return result();
}

// escape <scr> <arguments>: a run that keeps going for a second and ends on
// Escape in the renderer's window, exit code 0.
int escape(const char* program, const char* arguments) {
    Shell shell = startShell(program, arguments);
    const HWND renderer = waitForRenderer(shell);
    std::printf("renderer_ms=%.0f\n", nowMs() - shell.startedMs);
    std::fflush(stdout);
    sleepPumping(1000);
    check(WaitForSingleObject(shell.info.hProcess, 0) == WAIT_TIMEOUT,
          "the shell ended during the run");
    PostMessageA(renderer, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    const bool ended = waitForExit(shell.info.hProcess, 3000);
    check(ended, "the shell did not end after Escape");
    check(exitCode(shell) == 0, "the shell's exit code is not 0");
    if (!ended) TerminateProcess(shell.info.hProcess, 1);
    CloseHandle(shell.info.hProcess);
    return result();
}

// preview-gone <scr> <ms>...: for each delay, a host window destroyed that
// long after "/p <host>" was started: the shell ends by itself within 2 s,
// exit code 0, leaving no preview form.
int previewGone(const char* program, const std::vector<int>& delays) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = hostProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "ShortHost";
    RegisterClassA(&windowClass);
    for (const int delay : delays) {
        const HWND host =
            CreateWindowExA(0, "ShortHost", "host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40,
                            152, 112, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (host == nullptr) fatal("CreateWindowExA host");
        pump();
        Shell shell = startShell(program, "/p " + std::to_string(reinterpret_cast<INT_PTR>(host)));
        sleepPumping(delay);
        const double destroyedMs = nowMs();
        DestroyWindow(host);
        const bool ended = waitForExit(shell.info.hProcess, 2000);
        std::printf("delay=%d exit_ms=%.0f exit_code=%lu\n", delay, nowMs() - destroyedMs,
                    exitCode(shell));
        check(ended, "the shell did not end within 2 s of its host's end");
        check(!ended || exitCode(shell) == 0, "the shell's exit code is not 0");
        if (!ended) TerminateProcess(shell.info.hProcess, 1);
        if (!ended) {
            // What a hung shell is left with, for the report.
            for (HWND form : windowsCaptioned(kPreviewCaption)) {
                std::printf("left_form=%p is_window=%d\n", static_cast<void*>(form),
                            IsWindow(form) ? 1 : 0);
            }
            HWND child = FindWindowExA(nullptr, nullptr, nullptr, kPreviewCaption);
            std::printf("found_form=%p\n", static_cast<void*>(child));
        }
        check(windowsCaptioned(kPreviewCaption).empty(), "a Preview Window is left");
        CloseHandle(shell.info.hProcess);
    }
    check(processesNamed("Vorlune.scr").empty(), "a Vorlune.scr process is left");
    return result();
}

// burst <scr> <n>: n starts of /s back to back, none waited for: one run,
// with one renderer window and process, and every other start ends by
// itself; Escape then ends the run and leaves no shell or renderer.
int burst(const char* program, int n) {
    std::vector<Shell> shells;
    for (int i = 0; i < n; ++i) shells.push_back(startShell(program, "/s"));
    std::printf("started_ms=%.0f\n", nowMs() - shells.front().startedMs);
    // Any of them may be the one that runs: the first to look, not the first started.
    HWND renderer = nullptr;
    while (renderer == nullptr && nowMs() - shells.front().startedMs < 15000) {
        const auto found = windowsCaptioned(kRendererCaption);
        if (!found.empty()) renderer = found.front();
        sleepPumping(20);
    }
    if (renderer == nullptr) fatal("no VorluneVC window within 15 s");
    std::printf("renderer_ms=%.0f\n", nowMs() - shells.front().startedMs);
    // Long enough for any late second run to show itself.
    sleepPumping(3000);
    int running = 0;
    for (auto& shell : shells) {
        if (WaitForSingleObject(shell.info.hProcess, 0) == WAIT_TIMEOUT) ++running;
    }
    const auto windows = windowsCaptioned(kRendererCaption);
    const auto renderers = processesNamed("Vorlune.dll");
    std::printf("shells_running=%d renderer_windows=%zu renderer_processes=%zu run_forms=%zu\n",
                running, windows.size(), renderers.size(), windowsCaptioned(kRunCaption).size());
    check(running == 1, "not exactly one shell still runs");
    check(windows.size() == 1, "not exactly one VorluneVC window");
    check(renderers.size() == 1, "not exactly one Vorlune.dll process");
    for (HWND window : windows) PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    if (windows.empty()) PostMessageA(renderer, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    const double escapedMs = nowMs();
    int left = 0;
    for (auto& shell : shells) {
        const double remaining = 5000 - (nowMs() - escapedMs);
        if (!waitForExit(shell.info.hProcess, remaining > 0 ? remaining : 0)) {
            ++left;
            TerminateProcess(shell.info.hProcess, 1);
        } else {
            check(exitCode(shell) == 0, "a shell's exit code is not 0");
        }
        CloseHandle(shell.info.hProcess);
    }
    std::printf("all_ended_ms=%.0f shells_left=%d\n", nowMs() - escapedMs, left);
    check(left == 0, "shells were left after Escape");
    sleepPumping(300);
    check(processesNamed("Vorlune.scr").empty(), "a Vorlune.scr process is left");
    check(processesNamed("Vorlune.dll").empty(), "a Vorlune.dll process is left");
    return result();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return standIn();
    if (argc < 2) {
        std::printf(
            "usage: shell_driver run|ends|missing|escape <scr> <arguments> | preview <scr> <w> <h> "
            "| "
            "hold|kill-renderer|kill-shell <scr> <ms> | orphan <dll> | close-renderer <ms> | "
            "burst <scr> <n> | preview-gone <scr> <ms>... | warm-up\n");
        return 2;
    }
    const std::string command = argv[1];
    if (command == "warm-up") return 0;
    if (command == "no-window" && argc == 3) {
        const HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::atoi(argv[2])));
        std::printf("is_window=%d\n", IsWindow(window) ? 1 : 0);
        return IsWindow(window) ? 1 : 0;
    }
    const char* arguments = argc >= 4 ? argv[3] : "";
    if (command == "slow-renderer" && argc == 3) return slowRenderer(argv[2]);
    if (command == "lost-renderer" && argc == 3) return lostRenderer(argv[2]);
    if (command == "hold" && argc == 4) return hold(argv[2], std::atoi(argv[3]));
    if (command == "kill-renderer" && argc == 4) return killRenderer(argv[2], std::atoi(argv[3]));
    if (command == "kill-shell" && argc == 4) return killShell(argv[2], std::atoi(argv[3]));
    if (command == "orphan" && argc == 3) return orphan(argv[2]);
    if (command == "close-renderer" && argc == 3) return closeRenderer(std::atoi(argv[2]));
    if (command == "escape" && argc >= 3) return escape(argv[2], arguments);
    if (command == "burst" && argc == 4) return burst(argv[2], std::atoi(argv[3]));
    if (command == "preview-gone" && argc >= 4) {
        std::vector<int> delays;
        for (int i = 3; i < argc; ++i) delays.push_back(std::atoi(argv[i]));
        return previewGone(argv[2], delays);
    }
    if (command == "run" && argc >= 3) return run(argv[2], arguments);
    if (command == "ends" && argc >= 3) return ends(argv[2], arguments);
    if (command == "missing" && argc >= 3) return missing(argv[2], arguments);
    if (command == "preview" && argc == 5)
        return preview(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    std::printf("unknown command\n");
    return 2;
}
