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
// 0 when every check held.
int result();
double nowMs();
int number(const std::string& text);

// ---- processes ---------------------------------------------------------------

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

// ---- windows -----------------------------------------------------------------

DWORD processOf(HWND window);
std::string className(HWND window);
// A window's text in the ANSI code page. Asked for in UTF-16: Wine 8 halves
// the length of an ANSI text it hands across processes under code page 932.
std::string textOf(HWND window);
// Code page bytes as UTF-8, for the report.
std::string readable(const std::string& text);

struct Match {
    const char* caption = nullptr;  // any, when null
    const char* windowClass = nullptr;
    DWORD process = 0;  // any, when 0
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

// ---- input, as the user gives it -----------------------------------------------

// Pauses between input events, so that the program's messages and its
// buttons' 100 ms timers run.
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

// ---- the commands --------------------------------------------------------------

int launch(const Args& args);
int inspectWindow(const Args& args);
int displayMode(const Args& args);
int ignored(const Args& args);
int escape(const Args& args);
int closeRenderer(const Args& args);
int systemClose(const Args& args);
int message(const Args& args);
int run(const Args& args);
int ends(const Args& args);
int preview(const Args& args);
int previewGone(const Args& args);
int burst(const Args& args);
int cdWithoutDrive(const Args& args);
int dialog(const Args& args);
// Started as Vorlune.dll (no arguments): a renderer that is slow to come or never does.
int standIn();

}  // namespace vorlune::e2e
