// The end-to-end test driver: a console program, run under Wine on the same
// wineserver as the renderer, that starts Vorlune.dll, looks at its window
// and pokes it the way the shell, the system and the user would. Each command
// is one step of a scenario; the harness script runs them in order and takes
// the screenshots in between.
//
// Every command prints what it saw as "key=value" lines and ends with exit
// code 0 when all its checks hold; a failed check prints "FAIL: ..." and ends
// with exit code 1.
#include <windows.h>
// After windows.h.
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "display_probe.hpp"
#include "driver_support.hpp"
#include "frame/win32_error.hpp"

namespace {

using namespace vorlune::e2e;
using vorlune::describeSystemError;

constexpr const char* kWindowClass = "GLWindow";
constexpr const char* kCaption = "VorluneVC";
constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr DWORD kExitTimeoutMs = 10000;

struct Renderer {
    HWND window = nullptr;
    DWORD processId = 0;
    HANDLE process = nullptr;
};

// The running renderer, found as the shell finds it: by its caption.
Renderer findRenderer(DWORD access = SYNCHRONIZE | PROCESS_QUERY_INFORMATION) {
    Renderer renderer;
    renderer.window = FindWindowA(kWindowClass, kCaption);
    if (renderer.window == nullptr) fatal("no window of class GLWindow captioned VorluneVC");
    GetWindowThreadProcessId(renderer.window, &renderer.processId);
    renderer.process = OpenProcess(access, FALSE, renderer.processId);
    if (renderer.process == nullptr) fatal("OpenProcess on the renderer failed");
    return renderer;
}

// Waits for the renderer to end and checks that it ended well.
void expectCleanExit(const Renderer& renderer, double sinceMs) {
    const DWORD waited = WaitForSingleObject(renderer.process, kExitTimeoutMs);
    check(waited == WAIT_OBJECT_0, "the renderer did not end within 10 s");
    if (waited != WAIT_OBJECT_0) return;
    std::printf("exit_ms=%.0f\n", nowMs() - sinceMs);
    DWORD exitCode = 0xFFFFFFFF;
    GetExitCodeProcess(renderer.process, &exitCode);
    std::printf("exit_code=%lu\n", exitCode);
    check(exitCode == 0, "the renderer's exit code is not 0");
    check(!IsWindow(renderer.window), "the renderer's window outlived it");
    check(FindWindowA(nullptr, kCaption) == nullptr, "a window captioned VorluneVC is still there");
}

void expectStillRunning(const Renderer& renderer) {
    std::printf("running=%d\nforeground=%d\n",
                WaitForSingleObject(renderer.process, 0) == WAIT_TIMEOUT ? 1 : 0,
                GetForegroundWindow() == renderer.window ? 1 : 0);
    check(WaitForSingleObject(renderer.process, 0) == WAIT_TIMEOUT, "the renderer has ended");
    check(IsWindow(renderer.window) && IsWindowVisible(renderer.window),
          "the renderer's window is gone or hidden");
    check(GetForegroundWindow() == renderer.window, "the renderer's window lost the foreground");
}

// launch <program>: starts it as the shell does, with an empty command line,
// and times the appearance of its window from just before process creation.
int launch(const char* program) {
    std::string commandLine = std::string("\"") + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION info{};
    const double start = nowMs();
    // The clock of Wine's trace timestamps, for timing what the trace shows.
    const DWORD startTick = GetTickCount();
    if (!CreateProcessA(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        fatal(std::string("CreateProcessA ") + program);
    }
    std::printf("pid=%lu\nstart_tick=%lu\n", info.dwProcessId, startTick);

    HWND window = nullptr;
    double foundMs = -1;
    double visibleMs = -1;
    while (nowMs() - start < 10000) {
        if (window == nullptr) {
            window = FindWindowA(nullptr, kCaption);
            if (window != nullptr) foundMs = nowMs() - start;
        }
        if (window != nullptr && IsWindowVisible(window)) {
            visibleMs = nowMs() - start;
            break;
        }
        if (WaitForSingleObject(info.hProcess, 1) == WAIT_OBJECT_0) break;
    }
    std::printf("window_ms=%.1f\nvisible_ms=%.1f\n", foundMs, visibleMs);
    if (window == nullptr) fatal("no window captioned VorluneVC appeared within 10 s");

    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    std::printf("class=%s\n", className);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    check(owner == info.dwProcessId, "the VorluneVC window belongs to another process");
    check(std::strcmp(className, kWindowClass) == 0, "the window's class is not GLWindow");
    check(GetAncestor(window, GA_PARENT) == GetDesktopWindow(), "the window is not top-level");
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return result();
}

// window fullscreen|windowed: the window's styles, place and size, and who
// has the foreground and the cursor.
int inspectWindow(const char* mode) {
    const bool fullScreen = std::strcmp(mode, "fullscreen") == 0;
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
    std::printf("style=0x%08lx\nexstyle=0x%08lx\nrect=%ld,%ld,%ld,%ld\nscreen=%dx%d\n", style,
                extendedStyle, rect.left, rect.top, rect.right, rect.bottom, screenWidth,
                screenHeight);
    std::printf("foreground=%d\nfocus_thread_is_renderer=%d\ncursor_showing=%d\n",
                GetForegroundWindow() == renderer.window ? 1 : 0,
                GetWindowThreadProcessId(GetForegroundWindow(), nullptr) ==
                        GetWindowThreadProcessId(renderer.window, nullptr)
                    ? 1
                    : 0,
                (cursor.flags & CURSOR_SHOWING) != 0 ? 1 : 0);

    const DWORD common = WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    int left = 0;
    int top = 0;
    if (fullScreen) {
        check(style == (WS_POPUP | common),
              "style is not WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN");
        check((extendedStyle & WS_EX_APPWINDOW) != 0, "extended style lacks WS_EX_APPWINDOW");
        check((extendedStyle & WS_EX_CLIENTEDGE) == 0, "a full-screen window has WS_EX_CLIENTEDGE");
    } else {
        check(style == (WS_OVERLAPPEDWINDOW | common),
              "style is not WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN");
        check((extendedStyle & (WS_EX_APPWINDOW | WS_EX_CLIENTEDGE)) ==
                  (WS_EX_APPWINDOW | WS_EX_CLIENTEDGE),
              "extended style lacks WS_EX_APPWINDOW | WS_EX_CLIENTEDGE");
        left = screenWidth / 2 - kWidth / 2;
        top = screenHeight / 2 - kHeight / 2;
    }
    check(rect.left == left && rect.top == top, "the window is not where it belongs");
    check(rect.right - rect.left == kWidth && rect.bottom - rect.top == kHeight,
          "the window's outer size is not 1024 x 768");
    check(GetForegroundWindow() == renderer.window, "the window is not in the foreground");
    return result();
}

// The process and thread calls below that reach into the renderer are, under
// Wine, carried out by the renderer's own threads. So once a thread of ours
// there does not come back, the renderer may be stuck, and any further call
// could hang this driver with it: the command ends at once.
constexpr DWORD kRemoteThreadTimeoutMs = 5000;

[[noreturn]] void failCall(const char* call, DWORD error) {
    std::printf("FAIL: %s\n", describeSystemError(call, error).c_str());
    std::fflush(stdout);
    std::exit(1);
}

// Runs start(argument) in a new thread of the renderer and returns the
// thread's exit code.
DWORD runInRenderer(const Renderer& renderer, const char* what, LPTHREAD_START_ROUTINE start,
                    void* argument) {
    HANDLE thread = CreateRemoteThread(renderer.process, nullptr, 0, start, argument, 0, nullptr);
    if (thread == nullptr) failCall("CreateRemoteThread", GetLastError());
    const DWORD waited = WaitForSingleObject(thread, kRemoteThreadTimeoutMs);
    if (waited != WAIT_OBJECT_0) {
        std::printf("FAIL: %s did not return within %lu ms in the renderer\n", what,
                    kRemoteThreadTimeoutMs);
        std::fflush(stdout);
        std::exit(1);
    }
    DWORD exitCode = 0;
    if (!GetExitCodeThread(thread, &exitCode)) failCall("GetExitCodeThread", GetLastError());
    CloseHandle(thread);
    return exitCode;
}

// The base address of the module called fileName in the renderer, or nullptr.
BYTE* moduleInRenderer(const Renderer& renderer, const char* fileName) {
    HANDLE snapshot =
        CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, renderer.processId);
    if (snapshot == INVALID_HANDLE_VALUE) failCall("CreateToolhelp32Snapshot", GetLastError());
    MODULEENTRY32 module{};
    module.dwSize = sizeof(module);
    BYTE* base = nullptr;
    for (BOOL more = Module32First(snapshot, &module); more && base == nullptr;
         more = Module32Next(snapshot, &module)) {
        if (lstrcmpiA(module.szModule, fileName) == 0) base = module.modBaseAddr;
    }
    CloseHandle(snapshot);
    return base;
}

template <typename Function>
LPTHREAD_START_ROUTINE threadStart(Function* function) {
    return reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(function));
}

// display-mode <probe.dll> <width>x<height>x<bits>: the display mode as the
// renderer's own process sees it, next to what this process sees. The probe
// is loaded into the renderer, run there in a thread of its own (never in its
// DllMain, under the loader lock the renderer's threads may be waiting for)
// and unloaded again.
int displayMode(const char* probePath, const char* expected) {
    const Renderer renderer =
        findRenderer(PROCESS_CREATE_THREAD | PROCESS_VM_OPERATION | PROCESS_VM_WRITE |
                     PROCESS_VM_READ | PROCESS_QUERY_INFORMATION | SYNCHRONIZE);
    char fullPath[MAX_PATH] = {};
    if (GetFullPathNameA(probePath, MAX_PATH, fullPath, nullptr) == 0) {
        failCall("GetFullPathNameA", GetLastError());
    }

    // Where the probe's entry lies relative to its base, from a copy loaded here.
    HMODULE ownProbe = LoadLibraryA(fullPath);
    if (ownProbe == nullptr) failCall("LoadLibraryA", GetLastError());
    const FARPROC ownEntry = GetProcAddress(ownProbe, kDisplayProbeEntry);
    if (ownEntry == nullptr) failCall("GetProcAddress ReportDisplayMode", GetLastError());
    const auto entryOffset =
        reinterpret_cast<const BYTE*>(ownEntry) - reinterpret_cast<const BYTE*>(ownProbe);
    char probeFile[MAX_PATH] = {};
    const char* fileName = std::strrchr(fullPath, '\\');
    lstrcpynA(probeFile, fileName != nullptr ? fileName + 1 : fullPath, MAX_PATH);
    check(moduleInRenderer(renderer, probeFile) == nullptr,
          "the probe is loaded in the renderer before the driver loaded it");

    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(DisplayProbeReport), kDisplayProbeMapping);
    if (mapping == nullptr) failCall("CreateFileMappingA", GetLastError());
    auto* report = static_cast<DisplayProbeReport*>(
        MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(DisplayProbeReport)));
    if (report == nullptr) failCall("MapViewOfFile", GetLastError());
    *report = {};

    const SIZE_T pathSize = std::strlen(fullPath) + 1;
    void* remotePath = VirtualAllocEx(renderer.process, nullptr, pathSize, MEM_COMMIT | MEM_RESERVE,
                                      PAGE_READWRITE);
    if (remotePath == nullptr) failCall("VirtualAllocEx", GetLastError());
    if (!WriteProcessMemory(renderer.process, remotePath, fullPath, pathSize, nullptr)) {
        failCall("WriteProcessMemory", GetLastError());
    }
    // kernel32 sits at the same address in every process of the session.
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
    const auto loadLibrary = threadStart(GetProcAddress(kernel32, "LoadLibraryA"));
    const auto freeLibrary = threadStart(GetProcAddress(kernel32, "FreeLibrary"));
    // The exit code holds only the low half of the module handle: the module
    // list says where the probe went.
    runInRenderer(renderer, "LoadLibraryA of the probe", loadLibrary, remotePath);
    VirtualFreeEx(renderer.process, remotePath, 0, MEM_RELEASE);
    BYTE* base = moduleInRenderer(renderer, probeFile);
    if (base == nullptr) {
        std::printf("FAIL: LoadLibraryA %s in the renderer loaded nothing\n", fullPath);
        return 1;
    }

    const DWORD reported =
        runInRenderer(renderer, "the probe", threadStart(base + entryOffset), nullptr);
    const BOOL freed =
        static_cast<BOOL>(runInRenderer(renderer, "FreeLibrary of the probe", freeLibrary, base));
    check(freed != 0, "FreeLibrary of the probe in the renderer failed");
    check(moduleInRenderer(renderer, probeFile) == nullptr,
          "the probe stayed loaded in the renderer");
    FreeLibrary(ownProbe);
    if (reported != 0) {
        std::printf(
            "FAIL: the probe: %s\n",
            describeSystemError(report->failedCall[0] != 0 ? report->failedCall
                                                           : "OpenFileMappingA or MapViewOfFile",
                                reported)
                .c_str());
        return 1;
    }

    DEVMODEA own{};
    own.dmSize = sizeof(own);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &own);
    std::printf("renderer_mode=%lux%lux%lu\ndriver_mode=%lux%lux%lu\n", report->width,
                report->height, report->bitsPerPixel, own.dmPelsWidth, own.dmPelsHeight,
                own.dmBitsPerPel);
    check(report->filled == 1, "the probe reported nothing");
    const std::string seen = std::to_string(report->width) + "x" + std::to_string(report->height) +
                             "x" + std::to_string(report->bitsPerPixel);
    check(seen == expected, "the renderer's display mode is not the expected one");
    UnmapViewOfFile(report);
    CloseHandle(mapping);
    return result();
}

// ignored: what must neither end nor disturb the renderer.
int ignored() {
    const Renderer renderer = findRenderer();
    // The system asks for its screen saver and a monitor power-down...
    DWORD_PTR answer = 1;
    const LRESULT sent = SendMessageTimeoutA(renderer.window, WM_SYSCOMMAND, SC_SCREENSAVE, 0,
                                             SMTO_ABORTIFHUNG, 5000, &answer);
    check(sent != 0, "SendMessageTimeoutA WM_SYSCOMMAND SC_SCREENSAVE timed out");
    check(answer == 0, "WM_SYSCOMMAND SC_SCREENSAVE did not return 0");
    PostMessageA(renderer.window, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    PostMessageA(renderer.window, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
    // ...and a key message carries a code past the key table, whose low byte
    // is Escape's: it must not be taken for Escape.
    PostMessageA(renderer.window, WM_KEYDOWN, 0x100 | VK_ESCAPE, 0);
    Sleep(1500);
    expectStillRunning(renderer);
    return result();
}

// escape: holds Escape down (as keyboard input to the foreground window)
// until the renderer ends.
int escape() {
    const Renderer renderer = findRenderer();
    check(GetForegroundWindow() == renderer.window, "the renderer is not in the foreground");
    INPUT key{};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_ESCAPE;
    key.ki.wScan = static_cast<WORD>(MapVirtualKeyA(VK_ESCAPE, MAPVK_VK_TO_VSC));
    const double start = nowMs();
    if (SendInput(1, &key, sizeof(key)) != 1) fatal("SendInput Escape down");
    expectCleanExit(renderer, start);
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &key, sizeof(key));
    return result();
}

// close: closes the window as the shell or the user would, with WM_CLOSE.
int closeWindow() {
    const Renderer renderer = findRenderer();
    const double start = nowMs();
    if (!PostMessageA(renderer.window, WM_CLOSE, 0, 0)) fatal("PostMessageA WM_CLOSE");
    expectCleanExit(renderer, start);
    return result();
}

// syscommand-close: any other system command still gets its default
// handling, so SC_CLOSE closes the renderer.
int syscommandClose() {
    const Renderer renderer = findRenderer();
    const double start = nowMs();
    if (!PostMessageA(renderer.window, WM_SYSCOMMAND, SC_CLOSE, 0)) {
        fatal("PostMessageA WM_SYSCOMMAND SC_CLOSE");
    }
    expectCleanExit(renderer, start);
    return result();
}

// expect-error <program> <first line> <call>: starts the program, which is
// to fail; checks its error message box, presses OK and expects exit code 0.
int expectError(const char* program, const char* firstLine, const char* call) {
    std::string commandLine = std::string("\"") + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        fatal(std::string("CreateProcessA ") + program);
    }
    CloseHandle(info.hThread);

    HWND box = nullptr;
    const double start = nowMs();
    while (box == nullptr && nowMs() - start < 10000) {
        box = FindWindowA("#32770", "ERROR");
        if (box == nullptr && WaitForSingleObject(info.hProcess, 10) == WAIT_OBJECT_0) break;
    }
    if (box == nullptr) fatal("no message box captioned ERROR appeared");
    Renderer renderer;
    renderer.window = box;
    renderer.process = info.hProcess;
    GetWindowThreadProcessId(box, &renderer.processId);
    check(renderer.processId == info.dwProcessId, "the message box belongs to another process");

    // The message text is the dialog's static control 0xFFFF.
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    const std::string message = text;
    std::string shown;
    for (const char c : message) shown += c == '\n' ? std::string("\\n") : std::string(1, c);
    std::printf("message=%s\n", shown.c_str());
    const std::string expectedStart = std::string(firstLine) + "\n\n" + call + ": ";
    check(message.compare(0, expectedStart.size(), expectedStart) == 0,
          "the message does not start with the design's text, a blank line and the failed call");
    check(GetDlgItem(box, IDOK) != nullptr, "the message box has no OK button");

    const double pressed = nowMs();
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    expectCleanExit(renderer, pressed);
    return result();
}

int usage() {
    std::printf(
        "usage: e2e_driver launch <program> | window fullscreen|windowed |\n"
        "       display-mode <probe.dll> <width>x<height>x<bits> | ignored | escape | close |\n"
        "       syscommand-close | expect-error <program> <first line> <call>\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc < 2) return usage();
    const std::string command = argv[1];
    // Starts the session's desktop, so that later steps do not wait for it.
    if (command == "warm-up" && argc == 2) return GetDesktopWindow() != nullptr ? 0 : 1;
    if (command == "launch" && argc == 3) return launch(argv[2]);
    if (command == "window" && argc == 3) return inspectWindow(argv[2]);
    if (command == "display-mode" && argc == 4) return displayMode(argv[2], argv[3]);
    if (command == "ignored" && argc == 2) return ignored();
    if (command == "escape" && argc == 2) return escape();
    if (command == "close" && argc == 2) return closeWindow();
    if (command == "syscommand-close" && argc == 2) return syscommandClose();
    if (command == "expect-error" && argc == 5) return expectError(argv[2], argv[3], argv[4]);
    return usage();
}
