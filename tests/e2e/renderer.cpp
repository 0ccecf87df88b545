// The renderer's commands: Vorlune.dll started as the shell starts it, looked
// at, and poked the way the shell, the system and the user would; and any
// program's message box when it cannot go on.
#include <cstdio>

#include "driver.hpp"

namespace vorlune::e2e {

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Renderer {
    HWND window = nullptr;
    HANDLE process = nullptr;
};

// The running renderer, found as the shell finds it: by its caption.
Renderer findRenderer() {
    Renderer renderer;
    renderer.window = FindWindowA("GLWindow", kRendererCaption);
    if (renderer.window == nullptr) fatal("no window of class GLWindow captioned VorluneVC");
    renderer.process = openProcessOf(renderer.window);
    return renderer;
}

// The program ends within 10 s of sinceMs with exit code 0, its window and
// every window captioned VorluneVC gone.
void expectCleanExit(HANDLE process, HWND window, double sinceMs) {
    const bool ended = waitForExit(process, 10000);
    check(ended, "the program did not end within 10 s");
    if (!ended) return;
    std::printf("exit_ms=%.0f\nexit_code=%lu\n", nowMs() - sinceMs, exitCode(process));
    check(exitCode(process) == 0, "the exit code is not 0");
    check(!IsWindow(window), "the program's window outlived it");
    check(FindWindowA(nullptr, kRendererCaption) == nullptr,
          "a window captioned VorluneVC is left");
}

int postAndExpectExit(UINT message, WPARAM wParam) {
    const Renderer renderer = findRenderer();
    const double start = nowMs();
    if (!PostMessageA(renderer.window, message, wParam, 0)) fatal("PostMessageA");
    expectCleanExit(renderer.process, renderer.window, start);
    return result();
}

}  // namespace

// launch <program>: starts it as the shell does, shown normally, and times
// its window from just before process creation; the renderer is left running.
int launch(const Args& args) {
    // The clock of Wine's trace timestamps, for timing what the trace shows.
    std::printf("start_tick=%lu\n", GetTickCount());
    Process renderer = start(args[0], "", true);
    std::printf("pid=%lu\n", renderer.id);
    HWND window = nullptr;
    double foundMs = -1;
    double visibleMs = -1;
    while (nowMs() - renderer.startedMs < 10000 && running(renderer.handle)) {
        if (window == nullptr) {
            window = FindWindowA(nullptr, kRendererCaption);
            if (window != nullptr) foundMs = nowMs() - renderer.startedMs;
        }
        if (window != nullptr && IsWindowVisible(window)) {
            visibleMs = nowMs() - renderer.startedMs;
            break;
        }
        WaitForSingleObject(renderer.handle, 1);
    }
    std::printf("window_ms=%.1f\nvisible_ms=%.1f\n", foundMs, visibleMs);
    if (window == nullptr) fatal("no window captioned VorluneVC appeared within 10 s");
    std::printf("class=%s\n", className(window).c_str());
    check(processOf(window) == renderer.id, "the VorluneVC window belongs to another process");
    check(className(window) == "GLWindow", "the window's class is not GLWindow");
    check(GetAncestor(window, GA_PARENT) == GetDesktopWindow(), "the window is not top-level");
    check(visibleMs >= 0, "the window was not shown within 10 s");
    letGo(renderer);
    return result();
}

// window fullscreen|windowed: the window's styles, place and size, and who
// has the foreground and the cursor.
int inspectWindow(const Args& args) {
    const bool fullScreen = args[0] == "fullscreen";
    const Renderer renderer = findRenderer();
    const auto style = static_cast<DWORD>(GetWindowLongA(renderer.window, GWL_STYLE));
    const auto extendedStyle = static_cast<DWORD>(GetWindowLongA(renderer.window, GWL_EXSTYLE));
    RECT rect{};
    GetWindowRect(renderer.window, &rect);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    CURSORINFO cursor{};
    cursor.cbSize = sizeof(cursor);
    GetCursorInfo(&cursor);
    const HWND foreground = GetForegroundWindow();
    std::printf("style=0x%08lx\nexstyle=0x%08lx\nrect=%ld,%ld,%ld,%ld\nscreen=%dx%d\n", style,
                extendedStyle, rect.left, rect.top, rect.right, rect.bottom, screenWidth,
                screenHeight);
    std::printf("foreground=%d\ncursor_showing=%d\n", foreground == renderer.window ? 1 : 0,
                (cursor.flags & CURSOR_SHOWING) != 0 ? 1 : 0);

    const DWORD common = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    int left = 0;
    int top = 0;
    if (fullScreen) {
        check(style == (WS_POPUP | common),
              "style is not WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN");
        check((extendedStyle & WS_EX_APPWINDOW) != 0, "extended style lacks WS_EX_APPWINDOW");
        check((extendedStyle & WS_EX_CLIENTEDGE) == 0, "a full-screen window has WS_EX_CLIENTEDGE");
        check((cursor.flags & CURSOR_SHOWING) == 0, "the cursor is showing");
    } else {
        check(style == (WS_OVERLAPPEDWINDOW | common),
              "style is not WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN");
        check((extendedStyle & (WS_EX_APPWINDOW | WS_EX_CLIENTEDGE)) ==
                  (WS_EX_APPWINDOW | WS_EX_CLIENTEDGE),
              "extended style lacks WS_EX_APPWINDOW | WS_EX_CLIENTEDGE");
        check((cursor.flags & CURSOR_SHOWING) != 0, "the cursor is hidden");
        left = screenWidth / 2 - kWidth / 2;
        top = screenHeight / 2 - kHeight / 2;
    }
    check(rect.left == left && rect.top == top, "the window is not where it belongs");
    check(rect.right - rect.left == kWidth && rect.bottom - rect.top == kHeight,
          "the window's outer size is not 1024 x 768");
    check(foreground == renderer.window, "the window is not in the foreground");
    return result();
}

// ignored: what must neither end nor disturb the renderer.
int ignored(const Args&) {
    const Renderer renderer = findRenderer();
    // The system asks for its screen saver and a monitor power-down...
    DWORD_PTR answer = 1;
    check(SendMessageTimeoutA(renderer.window, WM_SYSCOMMAND, SC_SCREENSAVE, 0, SMTO_ABORTIFHUNG,
                              5000, &answer) != 0,
          "SendMessageTimeoutA WM_SYSCOMMAND SC_SCREENSAVE timed out");
    check(answer == 0, "WM_SYSCOMMAND SC_SCREENSAVE did not return 0");
    PostMessageA(renderer.window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    PostMessageA(renderer.window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    // ...and a key message carries a code past the key table, whose low byte
    // is Escape's: it must not be taken for Escape.
    PostMessageA(renderer.window, WM_KEYDOWN, 0x100 | VK_ESCAPE, 0);
    Sleep(1500);
    const bool foreground = GetForegroundWindow() == renderer.window;
    std::printf("running=%d\nforeground=%d\n", running(renderer.process) ? 1 : 0, foreground);
    check(running(renderer.process), "the renderer has ended");
    check(IsWindow(renderer.window) && IsWindowVisible(renderer.window),
          "the renderer's window is gone or hidden");
    check(foreground, "the renderer's window lost the foreground");
    return result();
}

// escape: holds Escape down (as keyboard input to the foreground window)
// until the renderer ends.
int escape(const Args&) {
    const Renderer renderer = findRenderer();
    check(GetForegroundWindow() == renderer.window, "the renderer is not in the foreground");
    const double start = nowMs();
    key(VK_ESCAPE, false);
    expectCleanExit(renderer.process, renderer.window, start);
    key(VK_ESCAPE, true);
    return result();
}

// close: WM_CLOSE, as the shell or the user closes it.
int closeRenderer(const Args&) {
    return postAndExpectExit(WM_CLOSE, 0);
}

// system-close: any other system command keeps its default handling, so
// SC_CLOSE closes the renderer.
int systemClose(const Args&) {
    return postAndExpectExit(WM_SYSCOMMAND, SC_CLOSE);
}

// crash <program>: started as the shell starts it, the renderer is made to
// fault from outside, by a thread of its own that starts at address 0. It
// ends by itself within 10 s with the fault's code, having given the display
// back: the size it had before the start.
int crash(const Args& args) {
    const std::string before = displaySize();
    Process renderer = start(args[0], "", true);
    const HWND window =
        awaitWindow({.caption = kRendererCaption, .process = renderer.id, .visible = true}, 10000,
                    renderer.handle);
    if (window == nullptr) fatal("no window captioned VorluneVC within 10 s");
    pause(1000);  // frames drawn meanwhile
    std::printf("display_before=%s\ndisplay_running=%s\n", before.c_str(), displaySize().c_str());
    const double faultMs = nowMs();
    DWORD threadId = 0;
    const HANDLE thread =
        CreateRemoteThread(renderer.handle, nullptr, 0, nullptr, nullptr, 0, &threadId);
    if (thread == nullptr) fatal("CreateRemoteThread");
    CloseHandle(thread);
    std::printf("fault_thread=%lu\n", threadId);
    const bool ended = waitForExit(renderer.handle, 10000);
    std::printf("exit_ms=%.0f\nexit_code=0x%08lx\ndisplay_after=%s\n", nowMs() - faultMs,
                exitCode(renderer.handle), displaySize().c_str());
    check(ended, "the renderer did not end within 10 s of its fault");
    check(!ended || exitCode(renderer.handle) == EXCEPTION_ACCESS_VIOLATION,
          "the exit code is not the access violation's");
    check(displaySize() == before, "the display is not back at " + before);
    return result();
}

// covers <program>: on two monitors, with a white window of the driver's on
// the second, the renderer started as the shell does covers that monitor
// with one black window of its own: topmost, without a caption, hiding the
// cursor, and never in the foreground, not even when clicked, so that Escape
// still ends the run; no cover is left after it. Screenshots "covered" while
// it runs and "uncovered" after.
int covers(const Args& args) {
    // The monitor right of the primary one.
    MONITORINFO second{};
    second.cbSize = sizeof(second);
    const HMONITOR monitor =
        MonitorFromPoint({GetSystemMetrics(SM_CXSCREEN), 0}, MONITOR_DEFAULTTONULL);
    if (GetSystemMetrics(SM_CMONITORS) != 2 || !GetMonitorInfoA(monitor, &second)) {
        fatal("not two monitors side by side");
    }
    const RECT area = second.rcMonitor;
    WNDCLASSA whiteClass{};
    whiteClass.lpfnWndProc = DefWindowProcA;
    whiteClass.hInstance = GetModuleHandleA(nullptr);
    whiteClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    whiteClass.lpszClassName = "White";
    RegisterClassA(&whiteClass);
    const HWND white =
        CreateWindowExA(0, "White", "work", WS_POPUP | WS_VISIBLE, area.left + 76, area.top + 50,
                        600, 500, nullptr, nullptr, whiteClass.hInstance, nullptr);
    if (white == nullptr) fatal("CreateWindowExA (white window)");
    pause(500);

    Process renderer = start(args[0], "", true);
    const HWND window =
        awaitWindow({.caption = kRendererCaption, .process = renderer.id, .visible = true}, 10000,
                    renderer.handle);
    if (window == nullptr) fatal("no window captioned VorluneVC within 10 s");
    awaitWindow({.windowClass = "VorluneCover", .visible = true}, 5000, renderer.handle);
    const auto covers = topLevel({.windowClass = "VorluneCover", .visible = true});
    RECT place{};
    if (!covers.empty()) GetWindowRect(covers.front(), &place);
    std::printf("covers=%zu\ncover=%ld,%ld,%ldx%ld\n", covers.size(), place.left, place.top,
                place.right - place.left, place.bottom - place.top);
    check(covers.size() == 1 && EqualRect(&place, &area), "not one cover over the second monitor");
    check(covers.size() == 1 && textOf(covers.front()).empty() &&
              (GetWindowLongA(covers.front(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0,
          "the cover has a caption or is not topmost");
    pause(2000);  // frames drawn on the first monitor meanwhile
    snap("covered");

    if (!SetCursorPos((area.left + area.right) / 2, (area.top + area.bottom) / 2)) {
        fatal("SetCursorPos");
    }
    mouse(MOUSEEVENTF_LEFTDOWN);
    Sleep(kSettle);
    mouse(MOUSEEVENTF_LEFTUP);
    pause(kSettle);
    CURSORINFO cursor{};
    cursor.cbSize = sizeof(cursor);
    GetCursorInfo(&cursor);
    std::printf("foreground=%d\ncursor_showing=%d\n", GetForegroundWindow() == window ? 1 : 0,
                (cursor.flags & CURSOR_SHOWING) != 0 ? 1 : 0);
    check(GetForegroundWindow() == window, "a click on the cover took the foreground");
    check((cursor.flags & CURSOR_SHOWING) == 0, "the cursor shows over the cover");

    const double start = nowMs();
    key(VK_ESCAPE, false);
    expectCleanExit(renderer.handle, window, start);
    key(VK_ESCAPE, true);
    check(topLevel({.windowClass = "VorluneCover"}).empty(), "a cover is left");
    pause(500);
    snap("uncovered");
    DestroyWindow(white);
    return result();
}

// message <program> <arguments> <caption> <text>: the program cannot go on
// and says so in a message box with that caption and text (or a text that
// starts so, when it ends in "*"); no renderer window shows meanwhile, and
// the program ends with exit code 0 once OK is pressed.
int message(const Args& args) {
    Process program = start(args[0], args[1]);
    const HWND box = awaitWindow({.windowClass = "#32770", .process = program.id, .visible = true},
                                 10000, program.handle);
    if (box == nullptr) fatal("no message box of the program within 10 s");
    // The text's escapes: \n a line break, \xNN a byte.
    std::string wanted;
    for (std::size_t i = 0; i < args[3].size(); ++i) {
        if (args[3].compare(i, 2, "\\n") == 0) {
            wanted += '\n';
            ++i;
        } else if (args[3].compare(i, 2, "\\x") == 0) {
            wanted += static_cast<char>(std::stoi(args[3].substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            wanted += args[3][i];
        }
    }
    const bool prefix = !wanted.empty() && wanted.back() == '*';
    if (prefix) wanted.pop_back();
    const std::string caption = textOf(box);
    // The message box's text is its static control 0xFFFF.
    const std::string text = textOf(GetDlgItem(box, 0xFFFF));
    std::string shown;
    for (const char c : readable(text)) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
    std::printf("caption=%s\ntext=%s\n", readable(caption).c_str(), shown.c_str());
    check(caption == args[2], "the message box's caption is not " + args[2]);
    check(prefix ? text.compare(0, wanted.size(), wanted) == 0 : text == wanted,
          "the message is not the expected text");
    check(GetDlgItem(box, IDOK) != nullptr, "the message box has no OK button");
    check(topLevel({.caption = kRendererCaption, .visible = true}).empty(),
          "a renderer window shows");
    // The box stays until dismissed.
    check(!waitForExit(program.handle, 300), "the program ended under its message box");
    const double pressed = nowMs();
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    expectCleanExit(program.handle, box, pressed);
    return result();
}

}  // namespace vorlune::e2e
