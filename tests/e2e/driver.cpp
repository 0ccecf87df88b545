// The driver's common part: checks, processes, windows, input, and the table
// of commands.
#include "driver.hpp"

// After windows.h.
#include <shellapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/win32_error.hpp"

namespace vorlune::e2e {

namespace {

int failures = 0;
// What the driver started and has not let go: ended with the driver, so that
// nothing it leaves turns the next start away.
std::vector<HANDLE> started;

void endStarted() {
    for (HANDLE process : started) {
        if (running(process)) {
            std::printf("ending process %lu, still running\n", GetProcessId(process));
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 3000);
        }
    }
}

void serveWindows() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

void check(bool ok, const std::string& what) {
    if (ok) return;
    std::printf("FAIL: %s\n", what.c_str());
    ++failures;
}

void fatal(const std::string& what) {
    std::printf("FAIL: %s\n", describeSystemError(what.c_str(), GetLastError()).c_str());
    std::exit(1);
}

int result() {
    return failures == 0 ? 0 : 1;
}

double nowMs() {
    LARGE_INTEGER frequency{}, counter{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

std::wstring widen(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

int number(const std::string& text) {
    return std::atoi(text.c_str());
}

Process start(const std::string& program, const std::string& arguments, bool showNormal) {
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    // Our arguments are UTF-8: a program in a folder named outside the
    // system's code page is started by its real name.
    const std::wstring wideProgram = widen(program);
    std::wstring wideCommandLine = widen(commandLine);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (showNormal) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
    }
    PROCESS_INFORMATION info{};
    Process process;
    process.startedMs = nowMs();
    // Wine 8 on a crowded machine now and then fails a process creation with
    // ERROR_INTERNAL_ERROR before the program runs at all: once more then.
    for (int attempt = 1; !CreateProcessW(wideProgram.c_str(), wideCommandLine.data(), nullptr,
                                          nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
         ++attempt) {
        if (attempt == 2 || GetLastError() != ERROR_INTERNAL_ERROR) {
            fatal("CreateProcessW " + commandLine);
        }
        std::printf("CreateProcessW failed with ERROR_INTERNAL_ERROR; once more\n");
        Sleep(500);
    }
    CloseHandle(info.hThread);
    std::printf("started=%s\n", commandLine.c_str());
    process.handle = info.hProcess;
    process.id = info.dwProcessId;
    started.push_back(process.handle);
    return process;
}

void letGo(Process& process) {
    std::erase(started, process.handle);
    CloseHandle(process.handle);
    process.handle = nullptr;
}

bool waitForExit(HANDLE process, double ms) {
    const double start = nowMs();
    for (;;) {
        const double left = ms - (nowMs() - start);
        if (left <= 0) return !running(process);
        if (MsgWaitForMultipleObjects(1, &process, FALSE, static_cast<DWORD>(left) + 1,
                                      QS_ALLINPUT) == WAIT_OBJECT_0) {
            return true;
        }
        serveWindows();
    }
}

void pause(double ms) {
    const double start = nowMs();
    while (nowMs() - start < ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        serveWindows();
    }
}

bool running(HANDLE process) {
    return WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

DWORD exitCode(HANDLE process) {
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process, &code);
    return code;
}

HANDLE openProcessOf(HWND window, DWORD access) {
    const HANDLE process = OpenProcess(access, FALSE, processOf(window));
    if (process == nullptr) fatal("OpenProcess");
    return process;
}

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

std::string displaySize() {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) fatal("EnumDisplaySettingsA");
    return std::to_string(mode.dmPelsWidth) + "x" + std::to_string(mode.dmPelsHeight);
}

DWORD processOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

std::string className(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string textOf(HWND window, bool ask) {
    wchar_t text[1024] = {};
    if (ask) {
        SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    } else {
        GetWindowTextW(window, text, 1024);
    }
    char bytes[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof(bytes), nullptr, nullptr);
    return bytes;
}

std::string readable(const std::string& text) {
    wchar_t wide[2048] = {};
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 2048);
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof(utf8), nullptr, nullptr);
    return utf8;
}

std::vector<HWND> topLevel(const Match& match) {
    struct Search {
        const Match& match;
        std::vector<HWND> found;
    } search{match, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<Search*>(data);
            const Match& m = s.match;
            if ((!m.visible || IsWindowVisible(window)) &&
                (m.windowClass == nullptr || className(window) == m.windowClass) &&
                (m.process == 0 || processOf(window) == m.process) &&
                (m.caption == nullptr || textOf(window) == m.caption)) {
                s.found.push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND awaitWindow(const Match& match, double ms, HANDLE process) {
    const double start = nowMs();
    do {
        const auto found = topLevel(match);
        if (!found.empty()) return found.front();
        if (process != nullptr && waitForExit(process, 0)) return nullptr;
        pause(20);
    } while (nowMs() - start < ms);
    return nullptr;
}

bool gone(HWND window, double ms) {
    const double start = nowMs();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (nowMs() - start > ms) return false;
        pause(20);
    }
    return true;
}

std::vector<HWND> childrenOfClass(HWND parent, const char* windowClass) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (className(child) == windowClass) found.push_back(child);
    }
    return found;
}

RECT placeInParent(HWND window) {
    RECT place{};
    GetWindowRect(window, &place);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

POINT centreOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

HWND makeHost(int width, int height) {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam,
                                     LPARAM lParam) -> LRESULT {
            if (message == WM_ERASEBKGND) return 1;
            return DefWindowProcA(window, message, wParam, lParam);
        };
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PreviewHost";
        return RegisterClassA(&windowClass) != 0;
    }();
    const HWND host =
        registered ? CreateWindowExA(0, "PreviewHost", "host",
                                     WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 40, 40, width, height,
                                     nullptr, nullptr, GetModuleHandleA(nullptr), nullptr)
                   : nullptr;
    if (host == nullptr) fatal("CreateWindowExA PreviewHost");
    serveWindows();
    return host;
}

void key(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (SendInput(1, &input, sizeof(input)) != 1) fatal("SendInput (key)");
}

void tap(WORD virtualKey, bool shift) {
    if (shift) key(VK_SHIFT, false);
    key(virtualKey, false);
    Sleep(20);
    key(virtualKey, true);
    if (shift) key(VK_SHIFT, true);
    Sleep(20);
}

void mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if (SendInput(1, &input, sizeof(input)) != 1) fatal("SendInput (mouse)");
}

void moveTo(POINT point) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    // 0..65535 across the primary screen, rounded up so that the system's
    // scaling back lands on the pixel itself.
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = (point.x * 65536 + width - 1) / width;
    input.mi.dy = (point.y * 65536 + height - 1) / height;
    if (SendInput(1, &input, sizeof(input)) != 1) fatal("SendInput (mouse move)");
    Sleep(kSettle);
    POINT cursor{};
    GetCursorPos(&cursor);
    if (cursor.x != point.x || cursor.y != point.y) {
        std::printf("cursor=%ld,%ld wanted=%ld,%ld\n", cursor.x, cursor.y, point.x, point.y);
        check(false, "the cursor is not where SendInput moved it");
    }
}

void click(POINT point, DWORD down, DWORD up) {
    moveTo(point);
    mouse(down);
    Sleep(kSettle);
    mouse(up);
    Sleep(kSettle);
}

void snap(const std::string& name) {
    const char* folder = std::getenv("VORLUNE_SNAP_DIR");
    if (folder == nullptr) fatal("VORLUNE_SNAP_DIR is not set");
    const std::string base = std::string(folder) + "\\" + name;
    const HANDLE ready = CreateFileA((base + ".ready").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (ready == INVALID_HANDLE_VALUE) fatal("CreateFileA " + base + ".ready");
    CloseHandle(ready);
    const double start = nowMs();
    while (GetFileAttributesA((base + ".taken").c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (nowMs() - start > 30000) fatal("no screenshot " + name + " within 30 s");
        Sleep(20);
    }
    std::printf("snapped=%s\n", name.c_str());
}

namespace {

struct Command {
    const char* name;
    std::size_t fewest;
    std::size_t most;
    int (*run)(const Args&);
    const char* arguments;
};

constexpr Command kCommands[] = {
    // Starts the session's desktop, so that later steps do not wait for it.
    {"warm-up", 0, 0, [](const Args&) { return GetDesktopWindow() != nullptr ? 0 : 1; }, ""},
    {"launch", 1, 1, launch, "<program>"},
    {"window", 1, 1, inspectWindow, "fullscreen|windowed"},
    {"ignored", 0, 0, ignored, ""},
    {"escape", 0, 0, escape, ""},
    {"close", 0, 0, closeRenderer, ""},
    {"system-close", 0, 0, systemClose, ""},
    {"crash", 1, 1, crash, "<program>"},
    {"covers", 1, 1, covers, "<program>"},
    {"message", 4, 4, message, "<program> <arguments> <caption> <text, \\n for a line break>[*]"},
    {"run", 4, 5, run, "<scr> <arguments> <ms> close|escape|kill-renderer|kill-shell [second]"},
    {"ends", 2, 2, ends, "<scr> <arguments>"},
    {"preview", 3, 3, preview, "<scr> <width> <height>"},
    {"preview-gone", 2, 100, previewGone, "<scr> <ms>..."},
    {"burst", 2, 2, burst, "<scr> <starts>"},
    {"cd", 0, 0, cdWithoutDrive, ""},
    {"play", 2, 2, play, "wav|mp3 <file>"},
    {"dialog", 1, 1000, dialog, "<scr> <step>..."},
    {"manifest", 1, 2, manifest, "<program>..."},
};

}  // namespace

}  // namespace vorlune::e2e

int main(int, char**) {
    using namespace vorlune::e2e;
    setvbuf(stdout, nullptr, _IONBF, 0);
    // The arguments as UTF-8 from the wide command line: the narrow ones have
    // lost whatever the system's code page cannot spell.
    int argc = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &argc);
    std::vector<std::string> argv;
    for (int i = 0; i < argc; ++i) {
        char utf8[4096] = {};
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, utf8, sizeof(utf8), nullptr, nullptr);
        argv.emplace_back(utf8);
    }
    LocalFree(wide);
    if (argc <= 1) return standIn();
    std::atexit(endStarted);
    const Args args(argv.begin() + 2, argv.end());
    for (const Command& command : kCommands) {
        if (argv[1] == command.name && args.size() >= command.fewest &&
            args.size() <= command.most) {
            return command.run(args);
        }
    }
    std::printf("usage: e2e_driver <command>, one of\n");
    for (const Command& command : kCommands)
        std::printf("  %s %s\n", command.name, command.arguments);
    return 2;
}
