// The settings dialog's end-to-end test driver: a console program run under
// Wine on the same wineserver as Vorlune.scr. It starts "Vorlune.scr /c" and
// works the dialog the user's way, with real mouse and keyboard input
// (SendInput), following a list of steps given on its command line:
//
//   dialog_driver dialog <Vorlune.scr> <step> [<step> ...]
//
// Each step prints what it saw as "key=value" lines; a failed check prints
// "FAIL: ..." and makes the exit code 1. Screenshots are taken by the
// harness: the step "snap <name>" leaves <name>.ready in the folder
// VORLUNE_SNAP_DIR names and waits for the harness's <name>.taken.
//
// The source's Japanese texts become code page 932 bytes (-fexec-charset).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver_support.hpp"

namespace {

using namespace vorlune::e2e;

constexpr char kDialogCaption[] = "<Vorlune>";
constexpr char kRendererCaption[] = "VorluneVC";
constexpr char kChooserTitle[] = "ﾌｧｲﾙを開く";
constexpr int kTwips = 15;  // per pixel, at Wine's 96 dpi

// A place in the layout, in twips, turned into pixels.
constexpr int Px(int twips) {
    return twips / kTwips;
}

// Pauses between input events, so that the dialog's messages and its
// buttons' 100 ms timers run.
constexpr DWORD kSettle = 150;

void say(const char* format, const std::string& value) {
    std::printf(format, value.c_str());
    std::fflush(stdout);
}

// Texts are asked for in UTF-16 and turned into the code page's bytes here:
// Wine 8 halves the length of an ANSI text it hands across processes under
// code page 932 (WM_GETTEXT, CB_GETLBTEXT), so "30" would read as "3".
std::string narrow(const wchar_t* text) {
    char bytes[2048] = {};
    WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof(bytes), nullptr, nullptr);
    return bytes;
}

// Code page 932 bytes as UTF-8, for the report.
std::string readable(const std::string& text) {
    wchar_t wide[2048] = {};
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 2048);
    char utf8[4096] = {};
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof(utf8), nullptr, nullptr);
    return utf8;
}

// A top-level window's caption.
std::string windowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return narrow(text);
}

// What a control of another process shows: asked of the control itself, as
// GetWindowText only reads the text stored with the window (a combo box's
// stays empty).
std::string controlText(HWND control) {
    wchar_t text[1024] = {};
    SendMessageW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return narrow(text);
}

std::string className(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

DWORD processOf(HWND window) {
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    return id;
}

std::string rectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// Where a child window lies in its parent's client area.
RECT placeInParent(HWND window) {
    RECT place{};
    GetWindowRect(window, &place);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

bool placedAt(HWND window, int left, int top, int width, int height) {
    const RECT r = placeInParent(window);
    return r.left == Px(left) && r.top == Px(top) && r.right - r.left == Px(width) &&
           r.bottom - r.top == Px(height);
}

// Visible top-level windows of a class (any, when null) and a process (any, when 0),
// with a caption (any, when null).
std::vector<HWND> topLevel(const char* windowClass, DWORD processId, const char* caption) {
    struct Search {
        const char* windowClass;
        DWORD processId;
        const char* caption;
        std::vector<HWND> found;
    } search{windowClass, processId, caption, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (!IsWindowVisible(window)) return TRUE;
            if (s->windowClass != nullptr && className(window) != s->windowClass) return TRUE;
            if (s->processId != 0 && processOf(window) != s->processId) return TRUE;
            if (s->caption != nullptr && windowText(window) != s->caption) return TRUE;
            s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The children of a window that have a class, in z-order.
std::vector<HWND> childrenOfClass(HWND parent, const char* windowClass) {
    std::vector<HWND> found;
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (className(child) == windowClass) found.push_back(child);
    }
    return found;
}

// ---- input -----------------------------------------------------------------

void sendMouse(DWORD flags, int x = 0, int y = 0) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if ((flags & MOUSEEVENTF_ABSOLUTE) != 0) {
        // 0..65535 across the primary screen, rounded up so that the system's
        // scaling back lands on the pixel itself.
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = (x * 65536 + width - 1) / width;
        input.mi.dy = (y * 65536 + height - 1) / height;
    }
    if (SendInput(1, &input, sizeof(input)) != 1) fatal("SendInput (mouse)");
}

void moveTo(POINT point) {
    sendMouse(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, point.x, point.y);
    Sleep(kSettle);
    POINT cursor{};
    GetCursorPos(&cursor);
    if (cursor.x != point.x || cursor.y != point.y) {
        std::printf("cursor=%ld,%ld wanted=%ld,%ld\n", cursor.x, cursor.y, point.x, point.y);
        check(false, "the cursor is not where SendInput moved it");
    }
}

enum class Button { Left, Right, Middle };

DWORD downFlag(Button button) {
    switch (button) {
        case Button::Right:
            return MOUSEEVENTF_RIGHTDOWN;
        case Button::Middle:
            return MOUSEEVENTF_MIDDLEDOWN;
        default:
            return MOUSEEVENTF_LEFTDOWN;
    }
}

DWORD upFlag(Button button) {
    switch (button) {
        case Button::Right:
            return MOUSEEVENTF_RIGHTUP;
        case Button::Middle:
            return MOUSEEVENTF_MIDDLEUP;
        default:
            return MOUSEEVENTF_LEFTUP;
    }
}

Button buttonNamed(const std::string& name) {
    if (name == "right") return Button::Right;
    if (name == "middle") return Button::Middle;
    if (name != "left") fatal("unknown mouse button " + name);
    return Button::Left;
}

void clickAt(POINT point, Button button = Button::Left) {
    moveTo(point);
    sendMouse(downFlag(button));
    Sleep(kSettle);
    sendMouse(upFlag(button));
    Sleep(kSettle);
}

// The centre of a window on the screen.
POINT centreOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// A point of a window's client area (pixels) on the screen.
POINT onScreen(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
}

void sendKey(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    if (SendInput(1, &input, sizeof(input)) != 1) fatal("SendInput (key)");
    Sleep(20);
}

void tapKey(WORD key, bool shift = false) {
    if (shift) sendKey(VK_SHIFT, false);
    sendKey(key, false);
    sendKey(key, true);
    if (shift) sendKey(VK_SHIFT, true);
}

// ---- the dialog --------------------------------------------------------------

struct Dialog {
    PROCESS_INFORMATION process{};
    std::string program;
    HWND form = nullptr;
    HWND panel = nullptr;
    HWND repeat = nullptr;  // BGM_Repeat
    HWND file = nullptr;    // Cmd_File "..."
    HWND set = nullptr;     // Cmd_Set "設定"
    HWND cancel = nullptr;  // Cmd_Can "ｷｬﾝｾﾙ"
};

// The program under test, ended when the driver ends early, so that no
// dialog is left to turn the next start away.
HANDLE programUnderTest = nullptr;

void endProgramUnderTest() {
    if (programUnderTest != nullptr && WaitForSingleObject(programUnderTest, 0) != WAIT_OBJECT_0) {
        std::printf("the dialog is still open; ending it\n");
        TerminateProcess(programUnderTest, 1);
        WaitForSingleObject(programUnderTest, 3000);
    }
}

bool waitForExit(HANDLE process, DWORD ms) {
    return WaitForSingleObject(process, ms) == WAIT_OBJECT_0;
}

DWORD exitCodeOf(HANDLE process) {
    DWORD code = 0xFFFFFFFF;
    GetExitCodeProcess(process, &code);
    return code;
}

// Starts the program as Windows starts a screen saver: its quoted path, then the arguments.
PROCESS_INFORMATION start(const std::string& program, const char* arguments) {
    std::string commandLine = "\"" + program + "\" " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info)) {
        fatal("CreateProcessA " + commandLine);
    }
    CloseHandle(info.hThread);
    say("started=%s\n", commandLine);
    return info;
}

// Opens the dialog and finds its controls by class and place.
Dialog open(const std::string& program) {
    Dialog dialog;
    dialog.program = program;
    const double startedMs = nowMs();
    dialog.process = start(program, "/c");
    programUnderTest = dialog.process.hProcess;
    while (dialog.form == nullptr && nowMs() - startedMs < 15000) {
        const auto forms = topLevel(nullptr, dialog.process.dwProcessId, kDialogCaption);
        if (!forms.empty()) dialog.form = forms.front();
        if (dialog.form == nullptr && waitForExit(dialog.process.hProcess, 20)) break;
    }
    if (dialog.form == nullptr) fatal("no <Vorlune> window of the program within 15 s");
    // The opening animation, and the first paint.
    Sleep(700);
    std::printf("dialog_ms=%.0f\n", nowMs() - startedMs);

    const auto panels = childrenOfClass(dialog.form, "VorlunePanel");
    if (panels.size() != 1) fatal("not exactly one VorlunePanel in the dialog");
    dialog.panel = panels.front();
    const auto combos = childrenOfClass(dialog.panel, "ComboBox");
    if (combos.size() != 1) fatal("not exactly one ComboBox in the panel");
    dialog.repeat = combos.front();
    const auto panelButtons = childrenOfClass(dialog.panel, "VorluneCommand");
    if (panelButtons.size() != 1) fatal("not exactly one VorluneCommand in the panel");
    dialog.file = panelButtons.front();
    for (HWND button : childrenOfClass(dialog.form, "VorluneCommand")) {
        const RECT place = placeInParent(button);
        if (place.left == Px(4860)) dialog.set = button;
        if (place.left == Px(6060)) dialog.cancel = button;
    }
    if (dialog.set == nullptr || dialog.cancel == nullptr)
        fatal("no VorluneCommand at the places of 設定 and ｷｬﾝｾﾙ");
    return dialog;
}

// The dialog's layout and its place on the screen, and its fixed controls.
void checkLayout(const Dialog& dialog) {
    check(className(dialog.form) == "VorluneForm", "the dialog's class is not VorluneForm");
    check(GetAncestor(dialog.form, GA_PARENT) == GetDesktopWindow(),
          "the dialog is not a top-level window");
    RECT client{};
    GetClientRect(dialog.form, &client);
    RECT outer{};
    GetWindowRect(dialog.form, &outer);
    say("client=%s\n", rectText(client));
    say("window=%s\n", rectText(outer));
    check(client.right == Px(7440) && client.bottom == Px(3645),
          "the client area is not 7440 x 3645 twips");
    // Centred across and a third of the way down by the outer size, whole
    // twips divided with the fraction dropped.
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) * kTwips / 2 / kTwips;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) * kTwips / 3 / kTwips;
    std::printf("expected_place=%d,%d\n", left, top);
    check(outer.left == left && outer.top == top,
          "the dialog is not centred across and a third down the screen");

    check(placedAt(dialog.panel, 180, 240, 7035, 2475), "Pic_C is not at 180,240 7035x2475");
    const RECT combo = placeInParent(dialog.repeat);
    say("combo=%s\n", rectText(combo));
    check(combo.left == Px(1680) && combo.top == Px(780) && combo.right - combo.left == Px(615),
          "BGM_Repeat is not at 1680,780, 615 wide");
    check(placedAt(dialog.file, 420, 1740, 615, 315), "the \"...\" button is not at 420,1740");
    check(placedAt(dialog.set, 4860, 3000, 1155, 375), "設定 is not at 4860,3000 1155x375");
    check(placedAt(dialog.cancel, 6060, 3000, 1155, 375), "ｷｬﾝｾﾙ is not at 6060,3000");

    // The repeat list: a blank, then 1 to 30.
    const auto count = SendMessageA(dialog.repeat, CB_GETCOUNT, 0, 0);
    std::printf("repeat_entries=%ld\n", static_cast<long>(count));
    check(count == 31, "the repeat list does not hold 31 entries");
    for (int entry = 0; entry < count && entry < 31; ++entry) {
        wchar_t text[64] = {};
        if (SendMessageW(dialog.repeat, CB_GETLBTEXTLEN, entry, 0) >= 64) continue;
        SendMessageW(dialog.repeat, CB_GETLBTEXT, entry, reinterpret_cast<LPARAM>(text));
        const std::string wanted = entry == 0 ? "" : std::to_string(entry);
        if (wanted != narrow(text)) {
            std::printf("entry_%d=%s\n", entry, narrow(text).c_str());
            check(false, "a repeat entry is not \"\" then 1..30");
        }
    }
}

// The mean colour of a window's pixels as they reach the screen.
std::string meanColour(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    const HDC screen = GetDC(nullptr);
    double red = 0, green = 0, blue = 0;
    int samples = 0;
    for (int y = r.top + 1; y < r.bottom - 1; y += 2) {
        for (int x = r.left + 1; x < r.right - 1; x += 2) {
            const COLORREF c = GetPixel(screen, x, y);
            if (c == CLR_INVALID) continue;
            red += GetRValue(c);
            green += GetGValue(c);
            blue += GetBValue(c);
            ++samples;
        }
    }
    ReleaseDC(nullptr, screen);
    if (samples == 0) return "none";
    char text[64];
    std::snprintf(text, sizeof(text), "%.0f/%.0f/%.0f", red / samples, green / samples,
                  blue / samples);
    return text;
}

// The controls follow the kind: the repeat list only for a CD, "..." only
// for a file.
void checkKindState(const Dialog& dialog, int kind) {
    // The faces "..." showed, enabled and disabled, as seen on the screen.
    static std::string faces[2];
    // A busy machine may take a while over the messages: up to 2 s.
    bool repeatOn = false;
    bool fileOn = false;
    std::string face;
    const double start = nowMs();
    do {
        repeatOn = IsWindowEnabled(dialog.repeat) != FALSE;
        fileOn = IsWindowEnabled(dialog.file) != FALSE;
        face = meanColour(dialog.file);
        if (repeatOn == (kind == 1) && fileOn == (kind == 2) && face != faces[fileOn ? 0 : 1])
            break;
        Sleep(100);
    } while (nowMs() - start < 2000);
    std::printf("kind=%d repeat_enabled=%d file_enabled=%d file_face=%s\n", kind, repeatOn, fileOn,
                face.c_str());
    check(repeatOn == (kind == 1), "BGM_Repeat's enabled state does not follow the kind");
    check(fileOn == (kind == 2), "\"...\"'s enabled state does not follow the kind");
    faces[fileOn ? 1 : 0] = face;
    check(faces[0].empty() || faces[1].empty() || faces[0] != faces[1],
          "\"...\" looks the same enabled and disabled");
}

// The mark and the label of a kind, in the panel's client pixels.
POINT kindPoint(int kind, bool label) {
    constexpr int kTops[3] = {1140, 840, 1440};
    constexpr int kLabelWidths[3] = {330, 645, 900};
    const int top = Px(kTops[kind]) + Px(195) / 2;
    if (!label) return {Px(420) + Px(195) / 2, top};
    // Near the label's right end, well away from the mark.
    return {Px(660) + Px(kLabelWidths[kind]) - 3, top};
}

// Real key strokes into the repeat list's text: a click into it, the old
// text selected and typed over.
void typeRepeat(const Dialog& dialog, const std::string& text) {
    const HWND edit = FindWindowExA(dialog.repeat, nullptr, "Edit", nullptr);
    if (edit == nullptr) fatal("no Edit inside BGM_Repeat");
    clickAt(centreOf(edit));
    tapKey(VK_HOME);
    tapKey(VK_END, true);
    tapKey(VK_DELETE);
    for (const char c : text) {
        const SHORT key = VkKeyScanA(c);
        if (key == -1) fatal(std::string("no key types ") + c);
        tapKey(static_cast<WORD>(key & 0xFF), (key & 0x100) != 0);
    }
    Sleep(kSettle);
    const std::string shown = controlText(dialog.repeat);
    say("repeat_text=%s\n", shown);
    check(shown == text, "the repeat list does not show what was typed");
}

// "<name>.ready" for the harness, then its "<name>.taken" within 10 s.
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
        if (nowMs() - start > 10000) fatal("no screenshot " + name + " within 10 s");
        Sleep(20);
    }
    say("snapped=%s\n", name);
}

HWND dialogBoxOf(const Dialog& dialog, const char* caption, double ms) {
    const double start = nowMs();
    do {
        const auto boxes = topLevel("#32770", dialog.process.dwProcessId, caption);
        if (!boxes.empty()) return boxes.front();
        Sleep(20);
    } while (nowMs() - start < ms);
    return nullptr;
}

bool gone(HWND window, double ms) {
    const double start = nowMs();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (nowMs() - start > ms) return false;
        Sleep(20);
    }
    return true;
}

// "..." opens the chooser with its title; returns it.
HWND openChooser(const Dialog& dialog) {
    clickAt(centreOf(dialog.file));
    const HWND chooser = dialogBoxOf(dialog, nullptr, 5000);
    if (chooser == nullptr) fatal("\"...\" opened no dialog");
    const std::string title = windowText(chooser);
    say("chooser_title=%s\n", readable(title));
    check(title == kChooserTitle, "the chooser's title is not ﾌｧｲﾙを開く");
    check(GetWindow(chooser, GW_OWNER) == dialog.form, "the chooser is not owned by the dialog");
    return chooser;
}

// The chooser's file name field: edt1, or the edit inside the name combo
// cmb13 (Wine's: ComboBoxEx32, ComboBox, Edit).
HWND fileNameField(HWND chooser) {
    HWND field = GetDlgItem(chooser, 0x480);
    if (field == nullptr) {
        const HWND combo = GetDlgItem(chooser, 0x47c);
        if (combo != nullptr) {
            EnumChildWindows(
                combo,
                [](HWND child, LPARAM found) -> BOOL {
                    if (className(child) != "Edit") return TRUE;
                    *reinterpret_cast<HWND*>(found) = child;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&field));
        }
    }
    return field;
}

// The message of a refused write: the program's title, the INI file's path,
// and the dialog still open under it. Dismissed with OK.
void checkRefused(const Dialog& dialog, const std::string& ini) {
    const HWND box = dialogBoxOf(dialog, nullptr, 5000);
    if (box == nullptr) fatal("no message box after a refused write");
    const std::string caption = windowText(box);
    say("box_caption=%s\n", caption);
    check(caption == "Vorlune", "the message box's caption is not Vorlune");
    std::string text;
    for (HWND child : childrenOfClass(box, "Static")) text += controlText(child) + "\n";
    say("box_text=%s\n", readable(text));
    check(text.find(ini) != std::string::npos, "the message does not name the INI file's path");
    check(IsWindow(dialog.form) && IsWindowVisible(dialog.form), "the dialog went with the write");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    check(gone(box, 3000), "the message box did not go on OK");
    Sleep(kSettle);
    check(IsWindowVisible(dialog.form) && !waitForExit(dialog.process.hProcess, 300),
          "the dialog closed after the message");
}

// One step; returns how many of the following arguments it used.
int step(Dialog& dialog, const std::vector<std::string>& args, std::size_t at) {
    const std::string& name = args[at];
    const auto arg = [&](std::size_t n) -> const std::string& {
        if (at + n >= args.size()) fatal("step " + name + " lacks an argument");
        return args[at + n];
    };
    say("step=%s\n", name);
    if (name == "layout") {
        checkLayout(dialog);
        return 0;
    }
    if (name == "second") {
        // /c or /s while the dialog is open: ends at once, no second dialog, no run.
        const auto info = start(dialog.program, arg(1).c_str());
        const bool ended = waitForExit(info.hProcess, 5000);
        check(ended, "a second start did not end while the dialog is open");
        if (!ended) TerminateProcess(info.hProcess, 1);
        check(exitCodeOf(info.hProcess) == 0, "a second start's exit code is not 0");
        CloseHandle(info.hProcess);
        Sleep(300);
        check(topLevel(nullptr, 0, kDialogCaption).size() == 1,
              "not exactly one <Vorlune> window after a second start");
        check(topLevel(nullptr, 0, kRendererCaption).empty(), "a second start started a run");
        return 1;
    }
    if (name == "state") {
        checkKindState(dialog, std::atoi(arg(1).c_str()));
        return 1;
    }
    if (name == "mark" || name == "label") {
        // mark|label <kind> <button>
        const int kind = std::atoi(arg(1).c_str());
        if (kind < 0 || kind > 2) fatal("no kind " + arg(1));
        const POINT where = kindPoint(kind, name == "label");
        clickAt(onScreen(dialog.panel, where.x, where.y), buttonNamed(arg(2)));
        Sleep(kSettle);
        checkKindState(dialog, kind);
        return 2;
    }
    if (name == "type") {
        typeRepeat(dialog, arg(1));
        return 1;
    }
    if (name == "hover") {
        // The mouse resting over 設定: its timer shows the highlight.
        moveTo(centreOf(dialog.set));
        Sleep(300);
        return 0;
    }
    if (name == "press-away") {
        // Pressed on 設定 (screenshot "pressed"), dragged off, released
        // there: no Click.
        moveTo(centreOf(dialog.set));
        sendMouse(MOUSEEVENTF_LEFTDOWN);
        Sleep(300);
        snap("pressed");
        moveTo(onScreen(dialog.form, 100, Px(3645) - 10));
        Sleep(300);
        sendMouse(MOUSEEVENTF_LEFTUP);
        Sleep(400);
        check(IsWindowVisible(dialog.form) && !waitForExit(dialog.process.hProcess, 0),
              "a press dragged off 設定 closed the dialog");
        check(dialogBoxOf(dialog, nullptr, 0) == nullptr, "a press dragged off 設定 showed a box");
        return 0;
    }
    if (name == "rect") {
        // The screen place of 設定, for the harness to cut out of screenshots.
        RECT r{};
        GetWindowRect(dialog.set, &r);
        std::printf("set_rect=%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left,
                    r.top);
        return 0;
    }
    if (name == "snap") {
        snap(arg(1));
        return 1;
    }
    if (name == "set" || name == "cancel") {
        clickAt(centreOf(name == "set" ? dialog.set : dialog.cancel));
        return 0;
    }
    if (name == "close") {
        // The close box.
        PostMessageA(dialog.form, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    }
    if (name == "ends") {
        // The program ends with exit code 0 and leaves no window.
        const bool ended = waitForExit(dialog.process.hProcess, 5000);
        check(ended, "the program did not end within 5 s");
        if (!ended) TerminateProcess(dialog.process.hProcess, 1);
        std::printf("exit_code=%lu\n", exitCodeOf(dialog.process.hProcess));
        check(exitCodeOf(dialog.process.hProcess) == 0, "the program's exit code is not 0");
        check(topLevel(nullptr, 0, kDialogCaption).empty(), "a <Vorlune> window is left");
        return 0;
    }
    if (name == "stays") {
        check(!waitForExit(dialog.process.hProcess, 500) && IsWindowVisible(dialog.form),
              "the dialog closed");
        return 0;
    }
    if (name == "choose-cancel") {
        const HWND chooser = openChooser(dialog);
        PostMessageA(chooser, WM_COMMAND, IDCANCEL, 0);
        check(gone(chooser, 3000), "the chooser did not go on IDCANCEL");
        Sleep(kSettle);
        return 0;
    }
    if (name == "choose") {
        // choose <file name>: typed into the chooser's name field and accepted.
        const HWND chooser = openChooser(dialog);
        const HWND field = fileNameField(chooser);
        if (field == nullptr) fatal("no file name field in the chooser");
        SetWindowTextA(field, arg(1).c_str());
        PostMessageA(chooser, WM_COMMAND, IDOK, 0);
        check(gone(chooser, 3000), "the chooser did not go on IDOK");
        Sleep(kSettle);
        return 1;
    }
    if (name == "refused") {
        // refused <INI file's path>
        checkRefused(dialog, arg(1));
        return 1;
    }
    if (name == "remove-folder") {
        // remove-folder <path>: what stood in the way of a write goes.
        if (!RemoveDirectoryA(arg(1).c_str())) fatal("RemoveDirectoryA " + arg(1));
        return 1;
    }
    fatal("unknown step " + name);
}

int runDialog(const std::string& program, const std::vector<std::string>& steps) {
    std::atexit(endProgramUnderTest);
    Dialog dialog = open(program);
    for (std::size_t at = 0; at < steps.size(); ++at) {
        at += static_cast<std::size_t>(step(dialog, steps, at));
        // Once a check failed, the later steps only confuse the report.
        if (failures != 0) break;
    }
    endProgramUnderTest();
    return result();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "warm-up") == 0) return 0;
    if (argc >= 3 && std::strcmp(argv[1], "dialog") == 0) {
        return runDialog(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    }
    std::printf("usage: dialog_driver warm-up | dialog <Vorlune.scr> <step>...\n");
    return 2;
}
