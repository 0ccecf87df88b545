// The settings dialog's command: "Vorlune.scr /c" worked the user's way, with
// real mouse and keyboard input, through the steps given after it:
//   dialog <Vorlune.scr> <step> [<step> ...]
// Steps stop at the first failed check: later ones would only confuse the report.
// The source's Japanese texts become code page 932 bytes (-fexec-charset).
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "driver.hpp"

namespace vorlune::e2e {

namespace {

constexpr char kDialogCaption[] = "<Vorlune>";
constexpr char kChooserTitle[] = "ﾌｧｲﾙを開く";
// Twips per pixel on this screen: 15 at Wine's usual 96 dpi, 10 at 144.
int twipsPerPixel() {
    static const int perPixel = [] {
        const HDC screen = GetDC(nullptr);
        const int dotsPerInch = GetDeviceCaps(screen, LOGPIXELSX);
        ReleaseDC(nullptr, screen);
        return (1440 + dotsPerInch / 2) / dotsPerInch;
    }();
    return perPixel;
}

// A place in the layout, in twips, to the nearest pixel.
int Px(int twips) {
    return (2 * twips + twipsPerPixel()) / (2 * twipsPerPixel());
}

struct Dialog {
    Process process;
    std::string program;
    HWND form = nullptr;
    HWND panel = nullptr;
    HWND repeat = nullptr;  // BGM_Repeat
    HWND file = nullptr;    // Cmd_File "..."
    HWND set = nullptr;     // Cmd_Set "設定"
    HWND cancel = nullptr;  // Cmd_Can "ｷｬﾝｾﾙ"
};

std::string rectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

bool placedAt(HWND window, int left, int top, int width, int height) {
    const RECT r = placeInParent(window);
    return r.left == Px(left) && r.top == Px(top) && r.right == Px(left + width) &&
           r.bottom == Px(top + height);
}

POINT onScreen(HWND window, int x, int y) {
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
}

// Opens the dialog and finds its controls by class and place.
Dialog open(const std::string& program) {
    Dialog dialog;
    dialog.program = program;
    dialog.process = start(program, "/c");
    dialog.form =
        awaitWindow({.caption = kDialogCaption, .process = dialog.process.id, .visible = true},
                    15000, dialog.process.handle);
    if (dialog.form == nullptr) fatal("no <Vorlune> window of the program within 15 s");
    std::printf("dialog_ms=%.0f\n", nowMs() - dialog.process.startedMs);
    // The opening animation, and the first paint.
    Sleep(700);
    const auto panels = childrenOfClass(dialog.form, "VorlunePanel");
    if (panels.size() != 1) fatal("not exactly one VorlunePanel in the dialog");
    dialog.panel = panels.front();
    const auto combos = childrenOfClass(dialog.panel, "ComboBox");
    const auto panelButtons = childrenOfClass(dialog.panel, "VorluneCommand");
    if (combos.size() != 1 || panelButtons.size() != 1) {
        fatal("not exactly one ComboBox and one VorluneCommand in the panel");
    }
    dialog.repeat = combos.front();
    dialog.file = panelButtons.front();
    for (HWND button : childrenOfClass(dialog.form, "VorluneCommand")) {
        const RECT place = placeInParent(button);
        if (place.left == Px(4860)) dialog.set = button;
        if (place.left == Px(6060)) dialog.cancel = button;
    }
    if (dialog.set == nullptr || dialog.cancel == nullptr) {
        fatal("no VorluneCommand at the places of 設定 and ｷｬﾝｾﾙ");
    }
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
    // Centred across and a third of the way down by the outer size, whole
    // twips divided with the fraction dropped.
    const int perPixel = twipsPerPixel();
    const int left =
        (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) * perPixel / 2 / perPixel;
    const int top =
        (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) * perPixel / 3 / perPixel;
    std::printf("client=%s\nwindow=%s\nexpected_place=%d,%d\n", rectText(client).c_str(),
                rectText(outer).c_str(), left, top);
    check(client.right == Px(7440) && client.bottom == Px(3645),
          "the client area is not 7440 x 3645 twips");
    check(outer.left == left && outer.top == top,
          "the dialog is not centred across and a third down the screen");

    check(placedAt(dialog.panel, 180, 240, 7035, 2475), "Pic_C is not at 180,240 7035x2475");
    const RECT combo = placeInParent(dialog.repeat);
    std::printf("combo=%s\n", rectText(combo).c_str());
    check(combo.left == Px(1680) && combo.top == Px(780) && combo.right == Px(1680 + 615),
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
        const std::wstring wanted = entry == 0 ? L"" : std::to_wstring(entry);
        check(wanted == text, "repeat entry " + std::to_string(entry) + " is not \"\" then 1..30");
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
// for a file, and "..." looks different enabled and disabled.
void checkKindState(const Dialog& dialog, int kind) {
    // The faces "..." showed, enabled and disabled, as seen on the screen.
    static std::string faces[2];
    bool repeatOn = false;
    bool fileOn = false;
    std::string face;
    // A busy machine may take a while over the messages: up to 2 s.
    const double start = nowMs();
    do {
        repeatOn = IsWindowEnabled(dialog.repeat) != FALSE;
        fileOn = IsWindowEnabled(dialog.file) != FALSE;
        face = meanColour(dialog.file);
        if (repeatOn == (kind == 1) && fileOn == (kind == 2) && face != faces[fileOn ? 0 : 1]) {
            break;
        }
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

// scale <kind>: the pictures drawn at their size in twips, 15 to a picture
// pixel, whatever the screen: the chosen kind's option mark has a blue fill
// 10 picture pixels square, and the face of 設定 keeps 4 of them at its left
// edge before its gradient shows.
void checkScale(Dialog& dialog, const std::string* a) {
    constexpr int kTops[3] = {1140, 840, 1440};
    const int kind = number(a[0]);
    if (kind < 0 || kind > 2) fatal("no kind " + a[0]);
    const HDC screen = GetDC(nullptr);
    // The blue of the fill, not the grey frame nor a blend of the two.
    const POINT mark = onScreen(dialog.panel, Px(420), Px(kTops[kind]));
    int left = 1 << 20, top = 1 << 20, right = -(1 << 20), bottom = -(1 << 20);
    for (int y = mark.y - 2; y < mark.y + Px(195) + 2; ++y) {
        for (int x = mark.x - 2; x < mark.x + Px(195) + 2; ++x) {
            const COLORREF c = GetPixel(screen, x, y);
            if (c == CLR_INVALID || GetBValue(c) - GetRValue(c) <= 100) continue;
            left = std::min(left, x);
            top = std::min(top, y);
            right = std::max(right, x + 1);
            bottom = std::max(bottom, y + 1);
        }
    }
    // Along the middle row of 設定, from its left edge to the first pixel of
    // the gradient's colour there (a quarter in, clear of the caption).
    RECT face{};
    GetWindowRect(dialog.set, &face);
    const int y = (face.top + face.bottom) / 2;
    const COLORREF gradient = GetPixel(screen, face.left + (face.right - face.left) / 4, y);
    int edge = 0;
    while (edge < 20 && GetPixel(screen, face.left + edge, y) != gradient) ++edge;
    ReleaseDC(nullptr, screen);
    const int fillWidth = right - left;
    const int fillHeight = bottom - top;
    std::printf("mark_fill=%dx%d\nface_edge=%d\n", fillWidth, fillHeight, edge);
    check(fillWidth == Px(150) && fillHeight == Px(150),
          "the option mark's fill is not 150 twips square");
    check(edge == Px(60), "the face of 設定 does not keep a 60-twip edge");
}

// mark|label <kind> left|right|middle: any mouse button on a kind's option
// mark, or near its label's right end (well away from the mark), chooses it.
void chooseKind(Dialog& dialog, const std::string* a, bool label) {
    constexpr int kTops[3] = {1140, 840, 1440};
    constexpr int kLabelWidths[3] = {330, 645, 900};
    const int kind = number(a[0]);
    if (kind < 0 || kind > 2) fatal("no kind " + a[0]);
    const int y = Px(kTops[kind]) + Px(195) / 2;
    const int x = label ? Px(660) + Px(kLabelWidths[kind]) - 3 : Px(420) + Px(195) / 2;
    DWORD down = MOUSEEVENTF_LEFTDOWN;
    DWORD up = MOUSEEVENTF_LEFTUP;
    if (a[1] == "right") down = MOUSEEVENTF_RIGHTDOWN, up = MOUSEEVENTF_RIGHTUP;
    if (a[1] == "middle") down = MOUSEEVENTF_MIDDLEDOWN, up = MOUSEEVENTF_MIDDLEUP;
    click(onScreen(dialog.panel, x, y), down, up);
    Sleep(kSettle);
    checkKindState(dialog, kind);
}

// type <text>: real key strokes into the repeat list's text: a click into
// it, the old text selected and typed over.
void typeRepeat(Dialog& dialog, const std::string* a) {
    const HWND edit = FindWindowExA(dialog.repeat, nullptr, "Edit", nullptr);
    if (edit == nullptr) fatal("no Edit inside BGM_Repeat");
    click(centreOf(edit));
    tap(VK_HOME);
    tap(VK_END, true);
    tap(VK_DELETE);
    for (const char c : a[0]) {
        const SHORT typed = VkKeyScanA(c);
        if (typed == -1) fatal(std::string("no key types ") + c);
        tap(static_cast<WORD>(typed & 0xFF), (typed & 0x100) != 0);
    }
    Sleep(kSettle);
    const std::string shown = textOf(dialog.repeat, true);
    std::printf("repeat_text=%s\n", shown.c_str());
    check(shown == a[0], "the repeat list does not show what was typed");
}

HWND boxOf(const Dialog& dialog, double ms) {
    return awaitWindow({.windowClass = "#32770", .process = dialog.process.id, .visible = true},
                       ms);
}

// "..." opens the chooser with its title, owned by the dialog.
HWND openChooser(const Dialog& dialog) {
    click(centreOf(dialog.file));
    const HWND chooser = boxOf(dialog, 5000);
    if (chooser == nullptr) fatal("\"...\" opened no dialog");
    const std::string title = textOf(chooser);
    std::printf("chooser_title=%s\n", readable(title).c_str());
    // Japanese where the user reads Japanese, English elsewhere.
    const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
    check(title == (japanese ? kChooserTitle : "Choose the music"),
          "the chooser's title is not the user's language's");
    check(GetWindow(chooser, GW_OWNER) == dialog.form, "the chooser is not owned by the dialog");
    return chooser;
}

// choose-cancel | choose <file name>: the chooser cancelled, or the name
// typed into its file name field and accepted.
void choose(Dialog& dialog, const std::string* a, bool accept) {
    const HWND chooser = openChooser(dialog);
    if (accept) {
        // edt1, or the edit inside the name combo cmb13 (Wine's: ComboBoxEx32, ComboBox, Edit).
        HWND field = GetDlgItem(chooser, 0x480);
        if (field == nullptr && GetDlgItem(chooser, 0x47c) != nullptr) {
            EnumChildWindows(
                GetDlgItem(chooser, 0x47c),
                [](HWND child, LPARAM found) -> BOOL {
                    if (className(child) != "Edit") return TRUE;
                    *reinterpret_cast<HWND*>(found) = child;
                    return FALSE;
                },
                reinterpret_cast<LPARAM>(&field));
        }
        if (field == nullptr) fatal("no file name field in the chooser");
        SetWindowTextA(field, a[0].c_str());
    }
    PostMessageA(chooser, WM_COMMAND, accept ? IDOK : IDCANCEL, 0);
    check(gone(chooser, 3000), "the chooser did not go");
    Sleep(kSettle);
}

// refused <INI file's path>: the message of a refused write has the
// program's title and names the INI file's path; the dialog stays under it,
// and after OK.
void refused(Dialog& dialog, const std::string* a) {
    const HWND box = boxOf(dialog, 5000);
    if (box == nullptr) fatal("no message box after a refused write");
    const std::string caption = textOf(box);
    const std::string text = textOf(GetDlgItem(box, 0xFFFF), true);
    std::printf("box_caption=%s\nbox_text=%s\n", caption.c_str(), readable(text).c_str());
    check(caption == "Vorlune", "the message box's caption is not Vorlune");
    check(text.find(a[0]) != std::string::npos, "the message does not name the INI file's path");
    check(IsWindow(dialog.form) && IsWindowVisible(dialog.form), "the dialog went with the write");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    check(gone(box, 3000), "the message box did not go on OK");
    Sleep(kSettle);
    check(IsWindowVisible(dialog.form) && !waitForExit(dialog.process.handle, 300),
          "the dialog closed after the message");
}

struct Step {
    const char* name;
    std::size_t arguments;
    void (*run)(Dialog& dialog, const std::string* arguments);
};

constexpr Step kSteps[] = {
    {"layout", 0, [](Dialog& d, const std::string*) { checkLayout(d); }},
    // second /c|/s: a start while the dialog is open ends at once, exit code
    // 0, with no second dialog and no run.
    {"second", 1,
     [](Dialog& d, const std::string* a) {
         Process second = start(d.program, a[0]);
         check(waitForExit(second.handle, 10000),
               "a second start did not end while the dialog is open");
         check(exitCode(second.handle) == 0, "a second start's exit code is not 0");
         Sleep(300);
         check(topLevel({.caption = kDialogCaption, .visible = true}).size() == 1,
               "not exactly one <Vorlune> window after a second start");
         check(topLevel({.caption = kRendererCaption, .visible = true}).empty(),
               "a second start started a run");
     }},
    {"state", 1, [](Dialog& d, const std::string* a) { checkKindState(d, number(a[0])); }},
    {"scale", 1, checkScale},
    {"mark", 2, [](Dialog& d, const std::string* a) { chooseKind(d, a, false); }},
    {"label", 2, [](Dialog& d, const std::string* a) { chooseKind(d, a, true); }},
    {"type", 1, typeRepeat},
    // The mouse resting over 設定: its timer shows the highlight.
    {"hover", 0,
     [](Dialog& d, const std::string*) {
         moveTo(centreOf(d.set));
         Sleep(300);
     }},
    // Pressed on 設定 (screenshot "pressed"), dragged off, released there: no Click.
    {"press-away", 0,
     [](Dialog& d, const std::string*) {
         moveTo(centreOf(d.set));
         mouse(MOUSEEVENTF_LEFTDOWN);
         Sleep(300);
         snap("pressed");
         moveTo(onScreen(d.form, 100, Px(3645) - 10));
         Sleep(300);
         mouse(MOUSEEVENTF_LEFTUP);
         Sleep(400);
         check(IsWindowVisible(d.form) && running(d.process.handle),
               "a press dragged off 設定 closed the dialog");
         check(boxOf(d, 0) == nullptr, "a press dragged off 設定 showed a box");
     }},
    // The screen place of 設定, for the harness to cut out of screenshots.
    {"rect", 0,
     [](Dialog& d, const std::string*) {
         RECT r{};
         GetWindowRect(d.set, &r);
         std::printf("set_rect=%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left,
                     r.top);
     }},
    {"snap", 1, [](Dialog&, const std::string* a) { snap(a[0]); }},
    {"set", 0, [](Dialog& d, const std::string*) { click(centreOf(d.set)); }},
    {"cancel", 0, [](Dialog& d, const std::string*) { click(centreOf(d.cancel)); }},
    // The close box.
    {"close", 0,
     [](Dialog& d, const std::string*) { PostMessageA(d.form, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    // The program ends with exit code 0 and leaves no window.
    {"ends", 0,
     [](Dialog& d, const std::string*) {
         check(waitForExit(d.process.handle, 10000), "the program did not end within 10 s");
         std::printf("exit_code=%lu\n", exitCode(d.process.handle));
         check(exitCode(d.process.handle) == 0, "the program's exit code is not 0");
         check(topLevel({.caption = kDialogCaption, .visible = true}).empty(),
               "a <Vorlune> window is left");
     }},
    {"stays", 0,
     [](Dialog& d, const std::string*) {
         check(!waitForExit(d.process.handle, 500) && IsWindowVisible(d.form), "the dialog closed");
     }},
    {"choose-cancel", 0, [](Dialog& d, const std::string* a) { choose(d, a, false); }},
    {"choose", 1, [](Dialog& d, const std::string* a) { choose(d, a, true); }},
    {"refused", 1, refused},
    // remove-folder <path>: what stood in the way of a write goes.
    {"remove-folder", 1,
     [](Dialog&, const std::string* a) {
         if (!RemoveDirectoryA(a[0].c_str())) fatal("RemoveDirectoryA " + a[0]);
     }},
};

}  // namespace

// manifest <program>...: each carries the manifest Windows reads at its start
// (resource 1 of type RT_MANIFEST), declaring per-monitor DPI awareness (v2)
// and the older dpiAware setting for systems before it.
int manifest(const Args& args) {
    for (const std::string& program : args) {
        const HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (module == nullptr) fatal("LoadLibraryExA " + program);
        const HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), RT_MANIFEST);
        const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
        const char* bytes = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : "";
        const std::string text(bytes, found != nullptr ? SizeofResource(module, found) : 0);
        std::printf("manifest_bytes=%zu\n", text.size());
        check(found != nullptr, program + " has no manifest (resource 1, RT_MANIFEST)");
        check(text.find(">PerMonitorV2") != std::string::npos,
              program + "'s manifest declares no per-monitor-v2 DPI awareness");
        check(text.find(">true/pm</dpiAware>") != std::string::npos,
              program + "'s manifest has no dpiAware fallback");
        FreeLibrary(module);
    }
    return result();
}

int dialog(const Args& args) {
    Dialog dialog = open(args[0]);
    for (std::size_t at = 1; at < args.size() && result() == 0;) {
        const Step* step = nullptr;
        for (const Step& candidate : kSteps) {
            if (args[at] == candidate.name) step = &candidate;
        }
        if (step == nullptr) fatal("unknown step " + args[at]);
        if (at + step->arguments >= args.size()) fatal("step " + args[at] + " lacks an argument");
        std::printf("step=%s\n", step->name);
        step->run(dialog, &args[at + 1]);
        at += 1 + step->arguments;
    }
    return result();
}

}  // namespace vorlune::e2e
