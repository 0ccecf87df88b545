#pragma once

// The end-to-end test driver: one console program, run under Wine on the same
// wineserver as the programs under test, that starts them as Windows would,
// finds their windows, gives them the system's messages and the user's input
// and watches them end. Each command (the table in driver.cpp) is one step of
// a scenario; the harness script runs them in order and takes screenshots and
// recordings in between.
//
// A command prints what it saw as "key=value" lines. A failed check prints
// "FAIL: ..." and makes the exit code 1; a fatal one ends the command at once.
#include <windows.h>

#include <string>
#include <vector>

namespace vorlune::e2e {

using Args = std::vector<std::string>;

inline constexpr char kRendererCaption[] = "VorluneVC";
inline constexpr char kRunCaption[] = "Vorlune_Main";

void check(bool ok, const std::string& what);
// Names the failed call and the system's text for GetLastError.
[[noreturn]] void fatal(const std::string& what);
int result();  // 0 when every check held
double nowMs();
int number(const std::string& text);

struct Process {
    HANDLE handle = nullptr;
    DWORD id = 0;
    double startedMs = 0;
};

// Starts the program as Windows starts a screen saver: its quoted path, then
// the arguments. Every process the driver starts is ended when the driver
// ends, unless it was let go.
Process start(const std::string& program, const std::string& arguments, bool showNormal = false);
void letGo(Process& process);
// Waits up to ms for the process to end, serving the driver's own windows.
bool waitForExit(HANDLE process, double ms);
void pause(double ms);
bool running(HANDLE process);
DWORD exitCode(HANDLE process);
HANDLE openProcessOf(HWND window,
                     DWORD access = SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION);
std::vector<DWORD> processesNamed(const char* exeFile);
// The display's current mode as "WIDTHxHEIGHT". Inside a Wine virtual
// desktop every process sees a size change that any of them made.
std::string displaySize();

DWORD processOf(HWND window);
std::string className(HWND window);
// A window's text in the ANSI code page: the one stored with it, or with ask
// what the control itself answers (a combo box stores none). Asked for in
// UTF-16: Wine 8 halves an ANSI text it hands across processes under 932.
std::string textOf(HWND window, bool ask = false);
// Code page bytes as UTF-8, for the report.
std::string readable(const std::string& text);

// Top-level windows, hidden ones too unless visible: any caption, class or
// process where none is given.
struct Match {
    const char* caption = nullptr;
    const char* windowClass = nullptr;
    DWORD process = 0;
    bool visible = false;
};
std::vector<HWND> topLevel(const Match& match);
// The first window that matches within ms; nullptr when none came, or once
// the process, if given, has ended.
HWND awaitWindow(const Match& match, double ms, HANDLE process = nullptr);
// Waits up to ms for the window to go or be hidden.
bool gone(HWND window, double ms);
std::vector<HWND> childrenOfClass(HWND parent, const char* windowClass);
// Where a child window lies in its parent's client area.
RECT placeInParent(HWND window);
POINT centreOf(HWND window);
// A top-level window of the driver's own at (40, 40) that paints nothing.
HWND makeHost(int width, int height);

// Input as the user gives it, with pauses between events (kSettle ms) so
// that the program's messages and its buttons' 100 ms timers run.
inline constexpr DWORD kSettle = 150;
void key(WORD virtualKey, bool up);
void tap(WORD virtualKey, bool shift = false);
void mouse(DWORD flags);
// Moves the cursor there and checks that it went.
void moveTo(POINT point);
void click(POINT point, DWORD down = MOUSEEVENTF_LEFTDOWN, DWORD up = MOUSEEVENTF_LEFTUP);

// Asks the harness for a screenshot: "<name>.ready" in the folder
// VORLUNE_SNAP_DIR names, then waits for its "<name>.taken".
void snap(const std::string& name);

// The commands, in the table of driver.cpp, and the stand-in for Vorlune.dll
// that the driver becomes when started without arguments.
int launch(const Args&), inspectWindow(const Args&), ignored(const Args&), escape(const Args&),
    closeRenderer(const Args&), systemClose(const Args&), crash(const Args&), covers(const Args&),
    message(const Args&), run(const Args&), ends(const Args&), preview(const Args&),
    previewGone(const Args&), burst(const Args&), cdWithoutDrive(const Args&), play(const Args&),
    dialog(const Args&), manifest(const Args&), standIn();

}  // namespace vorlune::e2e
