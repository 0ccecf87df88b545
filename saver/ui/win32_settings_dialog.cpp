// The settings dialog Vorlune_P, "<Vorlune>": the music kind, the CD track
// to repeat and the music file, saved to Vorlune.ini by 設定.
#include "ui/win32_settings_dialog.hpp"

#include <commdlg.h>
#include <shellapi.h>
#include <windows.h>
#include <windowsx.h>

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "forms/win32_controls.hpp"
#include "forms/win32_drawing.hpp"
#include "forms/win32_forms.hpp"
#include "forms/win32_picture.hpp"
#include "forms/win32_text.hpp"
#include "frame/win32_error.hpp"
#include "resources/shell_resources.h"
#include "shell/settings_rules.hpp"
#include "shell/settings_values.hpp"
#include "shell/shell_names.hpp"
#include "shell/win32_animation.hpp"
#include "shell/win32_settings_store.hpp"
#include "shell/win32_ui_texts.hpp"
#include "ui/dialog_rules.hpp"
#include "ui/win32_command.hpp"
#include "ui/win32_font.hpp"

namespace vorlune::saver {

namespace {

using forms::Label;
using forms::PixelRect;
using forms::Widen;
using ui::Command;
using ui::FontDescription;

// The maker, as the credit line and the home-page link show it.
constexpr char kCredit[] = "Designed by Vorlune Ver." VORLUNE_VERSION;
// A stand-in until the project has a home page: the .example domain is
// reserved for examples and leads nowhere.
constexpr char kHomePage[] = "https://vorlune.example/";

// The layout, in twips.
constexpr int kClientWidth = 7440;
constexpr int kClientHeight = 3645;
constexpr int kRepeatEntries = 31;

// The layout's font for the user's language: the texts of a language are
// sized for it.
const FontDescription& LayoutFont() {
    static const FontDescription font = [] {
        const UiTexts& texts = UserTexts();
        return FontDescription{
            Utf8(texts.fontName), texts.fontPoints, texts.fontCharset, false, false, false};
    }();
    return font;
}

// The stored properties of a push button of this layout: caption, font and
// the host's size keys (HIMETRIC, 0.01 mm).
ui::PropertyBag ButtonLayout(std::u8string_view caption, int width, int height) {
    ui::PropertyBag bag;
    bag.Write("_extentx", std::to_string(width * 2540 / 1440), "");
    bag.Write("_extenty", std::to_string(height * 2540 / 1440), "");
    bag.Write("Caption", Utf8(caption), "Command");
    bag.Write("Font", ui::FormatFont(LayoutFont()), "");
    return bag;
}

// One horizontal line per pixel row, 0 to the client height inclusive.
void PaintGradient(forms::BackBuffer& buffer, bool panel) {
    const HDC dc = buffer.Dc();
    if (dc == nullptr) return;
    const int height = buffer.Height();
    const HGDIOBJ previous = SelectObject(dc, GetStockObject(DC_BRUSH));
    for (int y = 0; y <= height; ++y) {
        const int level = ui::GradientLevel(y, height);
        const ui::Rgb colour = panel ? ui::PanelRowColour(level) : ui::FormRowColour(level);
        SetDCBrushColor(dc, RGB(colour.red, colour.green, colour.blue));
        PatBlt(dc, 0, y, buffer.Width(), 1, PATCOPY);
    }
    SelectObject(dc, previous);
}

// RECT (left, top, right, bottom) to place and size.
void MoveTo(forms::Control& control, const RECT& place) {
    control.Move(place.left, place.top, place.right - place.left, place.bottom - place.top);
}

class Vorlune_P final : public forms::Form {
  public:
    Vorlune_P() : Form(kSettingsCaption) {
        SetWindowStyle(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_WINDOWEDGE);
        MoveTo(Pic_C, PixelRect(180, 240, 7035, 2475));
        Pic_C.Draw = [this](HDC dc) { Pic_C_Paint(dc); };
        Pic_C.MouseDown = [this](POINT point) { Pic_C_MouseDown(point); };
    }
    ~Vorlune_P() override {
        for (const HGDIOBJ made :
             {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(underlined_),
              static_cast<HGDIOBJ>(Img_Ra[0]), static_cast<HGDIOBJ>(Img_Ra[1])}) {
            if (made != nullptr) DeleteObject(made);
        }
        if (hand_ != nullptr) DestroyCursor(hand_);
    }

    // The first control in the tab order that takes the focus: Pic_C (the
    // labels before it cannot).
    void FocusFirstControl() const {
        if (Pic_C.Window() != nullptr) SetFocus(Pic_C.Window());
    }

  protected:
    void Form_Load() override;
    void Form_Resize() override;
    void Form_Paint(HDC dc) override;
    void Form_Unload(bool& cancel) override;
    bool Form_Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void LoadFontsAndPictures();
    void LayOutLabels();
    void CreateControls();
    void SizeToLayout();
    void Place();
    void ShowKind(std::int16_t kind);
    void ChooseKind(int index);
    void Pic_C_Paint(HDC dc);
    void Pic_C_MouseDown(POINT point);
    void Cmd_File_Click();
    void Cmd_Set_Click();
    void lbl_URL_Click();

    // The controls by their names in the layout. Pic_C, Cmd_File and
    // lbl_Fname are the only members, index 0, of their control arrays.
    forms::PictureBox Pic_C{*this};
    RECT Shape3{};             // (3) the frame around the heading
    std::map<int, Label> lbl;  // (15) the heading, (14) the repeat text, (7) the credit
    std::array<forms::DrawnImage, 3> Img_BGM{};  // the option marks, by music kind
    std::array<Label, 3> lbl_BGM{};              // and their texts
    HWND BGM_Repeat = nullptr;                   // the combo box
    Command Cmd_File;
    Label lbl_Fname;
    Label lbl_URL;
    Command Cmd_Set;
    Command Cmd_Can;
    std::array<HBITMAP, 2> Img_Ra{};  // the marks' pictures: (0) not chosen, (1) chosen

    HFONT font_ = nullptr;
    HFONT underlined_ = nullptr;
    HCURSOR hand_ = nullptr;
    forms::BackBuffer canvas_;  // the form's painted background
    bool lbl_URL_pressed_ = false;
};

void Vorlune_P::LoadFontsAndPictures() {
    font_ = ui::CreateLayoutFont(LayoutFont());
    FontDescription underlined = LayoutFont();
    underlined.underline = true;
    underlined_ = ui::CreateLayoutFont(underlined);
    hand_ = static_cast<HCURSOR>(LoadImageA(GetModuleHandleA(nullptr),
                                            MAKEINTRESOURCEA(VORLUNE_HAND_CURSOR), IMAGE_CURSOR, 0,
                                            0, LR_DEFAULTCOLOR));
    if (hand_ == nullptr) traceFailedCall("LoadImageA (hand cursor)");
    Img_Ra[0] = forms::LoadResourceBitmap(VORLUNE_OPTION_OFF);
    Img_Ra[1] = forms::LoadResourceBitmap(VORLUNE_OPTION_ON);
    const auto icon = static_cast<HICON>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(VORLUNE_ICON), IMAGE_ICON, 32, 32, LR_SHARED));
    if (icon != nullptr) {
        SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
}

void Vorlune_P::LayOutLabels() {
    Shape3 = PixelRect(300, 300, 1695, 315);
    const UiTexts& texts = UserTexts();
    lbl[15] =
        Label{PixelRect(300, 360, 1665, 195), Widen(texts.heading), font_, RGB(0, 0, 0), true};
    const std::array<std::u8string_view, 3> kinds{texts.noMusic, texts.cdMusic, texts.fileMusic};
    constexpr std::array<int, 3> kindTops{1140, 840, 1440};
    constexpr std::array<int, 3> kindWidths{330, 645, 900};
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        Img_BGM[i].place = PixelRect(420, kindTops[i], 195, 195);
        lbl_BGM[i] = Label{PixelRect(660, kindTops[i], kindWidths[i], 195), Widen(kinds[i]), font_};
    }
    lbl[14] = Label{PixelRect(2340, 840, 990, 195), Widen(texts.repeatTrack), font_};
    lbl_Fname = Label{PixelRect(1080, 1740, 5595, 495), L"", font_};
    lbl_Fname.wordWrap = true;
    lbl_Fname.border = true;
    lbl[7] = Label{PixelRect(180, 2880, 2475, 195), Widen(kCredit), font_, RGB(255, 255, 255)};
    lbl_URL =
        Label{PixelRect(180, 3120, 3105, 195), Widen(kHomePage), underlined_, RGB(255, 255, 255)};
}

void Vorlune_P::CreateControls() {
    // The combo box: an editable text over a list. Its window's height
    // includes the dropped-down list.
    const RECT repeat = PixelRect(1680, 780, 615, 300);
    BGM_Repeat = CreateWindowExA(
        WS_EX_CLIENTEDGE, "COMBOBOX", "",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
        repeat.left, repeat.top, repeat.right - repeat.left, (repeat.bottom - repeat.top) * 8,
        Pic_C.Window(), nullptr, GetModuleHandleA(nullptr), nullptr);
    if (BGM_Repeat == nullptr) traceFailedCall("CreateWindowExA (combo box)");
    if (BGM_Repeat != nullptr && font_ != nullptr) {
        SendMessageA(BGM_Repeat, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }

    const FontDescription& ambient = LayoutFont();
    const UiTexts& texts = UserTexts();
    Cmd_File.Create(Pic_C.Window(), 420, 1740, 615, 315, ButtonLayout(texts.chooseFile, 615, 315),
                    ambient);
    Cmd_Set.Create(Window(), 4860, 3000, 1155, 375, ButtonLayout(texts.save, 1155, 375), ambient);
    Cmd_Can.Create(Window(), 6060, 3000, 1155, 375, ButtonLayout(texts.cancel, 1155, 375), ambient);
    Cmd_File.Click = [this] { Cmd_File_Click(); };
    Cmd_Set.Click = [this] { Cmd_Set_Click(); };
    Cmd_Can.Click = [this] { Unload(); };
}

// The client area of the layout, and the frame around it.
void Vorlune_P::SizeToLayout() {
    RECT frame{0, 0, forms::PixelsX(kClientWidth), forms::PixelsY(kClientHeight)};
    const auto style = static_cast<DWORD>(GetWindowLongA(Window(), GWL_STYLE));
    const auto extended = static_cast<DWORD>(GetWindowLongA(Window(), GWL_EXSTYLE));
    if (!AdjustWindowRectEx(&frame, style, FALSE, extended)) traceFailedCall("AdjustWindowRectEx");
    SetWindowPos(Window(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Centred across, one third down, by the window's outer size.
void Vorlune_P::Place() {
    RECT outer{};
    if (!GetWindowRect(Window(), &outer)) return;
    const int twipsX = forms::TwipsPerPixelX();
    const int twipsY = forms::TwipsPerPixelY();
    const int width = (outer.right - outer.left) * twipsX;
    const int height = (outer.bottom - outer.top) * twipsY;
    const ui::TwipPoint place =
        ui::DialogPlace(GetSystemMetrics(SM_CXSCREEN) * twipsX,
                        GetSystemMetrics(SM_CYSCREEN) * twipsY, width, height);
    Move(place.x, place.y, width, height);
}

// Applies a music kind to the controls: Cmd_File and BGM_Repeat off, the
// kind's option mark chosen and the others not, then BGM_Repeat on for the
// audio CD or Cmd_File on for a file. A kind outside the three (a
// hand-edited file) marks none and leaves both off.
void Vorlune_P::ShowKind(std::int16_t kind) {
    Cmd_File.SetEnabled(false);
    EnableWindow(BGM_Repeat, FALSE);
    for (forms::DrawnImage& mark : Img_BGM) mark.picture = Img_Ra[0];
    if (kind >= 0 && kind < static_cast<std::int16_t>(Img_BGM.size())) {
        Img_BGM[static_cast<std::size_t>(kind)].picture = Img_Ra[1];
    }
    if (Pic_C.Window() != nullptr) InvalidateRect(Pic_C.Window(), nullptr, FALSE);
    if (kind == kCdMusic) EnableWindow(BGM_Repeat, TRUE);
    if (kind == kFileMusic) Cmd_File.SetEnabled(true);
}

void Vorlune_P::Form_Load() {
    LoadFontsAndPictures();
    LayOutLabels();
    CreateControls();
    SizeToLayout();
    Place();
    EnableTabNavigation();
    Cmd_Can.Initialize();
    Cmd_Set.Initialize();
    Cmd_File.Initialize();
    ShowKind(BgmKind);
    SetWindowTextA(BGM_Repeat, ui::FormatHashHash(BgmRepeat).c_str());
    for (int entry = 0; entry < kRepeatEntries; ++entry) {
        const std::string text = ui::FormatHashHash(entry);
        if (SendMessageA(BGM_Repeat, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0) {
            traceFailedCall("CB_ADDSTRING");
        }
    }
    lbl_Fname.text = Widen(BgmFile);
    POINT cursor{};
    if (GetCursorPos(&cursor)) {
        AnimAnchor = {static_cast<std::int16_t>(cursor.x), static_cast<std::int16_t>(cursor.y)};
    } else {
        AnimAnchor = {0, 0};
    }
    AnimateOpen(Window());
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

void Vorlune_P::Form_Unload(bool& /*cancel*/) {
    AnimateClose(Window());
}

void Vorlune_P::Form_Resize() {
    if (canvas_.Fit(Window())) PaintGradient(canvas_, false);
    if (Pic_C.Window() != nullptr && Pic_C.Canvas().Fit(Pic_C.Window())) {
        PaintGradient(Pic_C.Canvas(), true);
    }
    InvalidateRect(Window(), nullptr, FALSE);
    if (Pic_C.Window() != nullptr) InvalidateRect(Pic_C.Window(), nullptr, FALSE);
}

void Vorlune_P::Form_Paint(HDC dc) {
    canvas_.CopyTo(dc);
    forms::DrawLabel(dc, lbl[7]);
    forms::DrawLabel(dc, lbl_URL);
}

void Vorlune_P::Pic_C_Paint(HDC dc) {
    FrameRect(dc, &Shape3, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    forms::DrawLabel(dc, lbl[15]);
    for (std::size_t i = 0; i < Img_BGM.size(); ++i) {
        forms::DrawImage(dc, Img_BGM[i]);
        forms::DrawLabel(dc, lbl_BGM[i]);
    }
    forms::DrawLabel(dc, lbl[14]);
    forms::DrawLabel(dc, lbl_Fname);
}

// Any mouse button on an option mark or its text chooses that kind.
void Vorlune_P::Pic_C_MouseDown(POINT point) {
    for (std::size_t i = 0; i < Img_BGM.size(); ++i) {
        if (forms::Contains(Img_BGM[i].place, point) || forms::Contains(lbl_BGM[i].place, point)) {
            ChooseKind(static_cast<int>(i));
            return;
        }
    }
}

void Vorlune_P::ChooseKind(int index) {
    BgmKind = static_cast<std::int16_t>(index);
    ShowKind(BgmKind);
}

void Vorlune_P::Cmd_File_Click() {
    // The wide chooser: its title and filter are read by the user, and the
    // path it returns may hold characters the system's code page lacks.
    const UiTexts& texts = UserTexts();
    wchar_t file[256] = {};
    wchar_t title[256] = {};
    const std::wstring filter = Widen(texts.chooserFilter) + L'\0' + L"*.MP3;*.WAV" + L'\0';
    const std::wstring folder = Widen(BgmFolder);
    const std::wstring heading = Widen(texts.chooserTitle);
    OPENFILENAMEW chooser{};
    // The record as it was before the fields of later systems.
    chooser.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    chooser.hwndOwner = Window();
    chooser.hInstance = GetModuleHandleW(nullptr);
    chooser.lpstrFilter = filter.c_str();
    chooser.nFilterIndex = 0;
    chooser.lpstrFile = file;
    chooser.nMaxFile = 255;
    chooser.lpstrFileTitle = title;
    chooser.nMaxFileTitle = 255;
    chooser.lpstrInitialDir = folder.c_str();
    chooser.lpstrTitle = heading.c_str();
    chooser.Flags = 0;
    if (GetOpenFileNameW(&chooser) <= 0) {
        const DWORD error = CommDlgExtendedError();
        if (error != 0) traceFailure("GetOpenFileNameW: error " + std::to_string(error));
        return;
    }
    const std::wstring chosen = file;  // up to its first NUL
    // The settings file and the music services take the path in the system's
    // code page: one it cannot spell is refused here, before anything changed,
    // rather than saved as a name of question marks that plays nothing.
    const std::optional<std::string> path = forms::AnsiPath(chosen);
    if (!path) {
        ShowMessage(Window(), Widen(texts.unusableMusicPath) + L"\r\n\r\n" + chosen,
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    BgmFile = *path;
    lbl_Fname.text = chosen;
    if (Pic_C.Window() != nullptr) InvalidateRect(Pic_C.Window(), nullptr, FALSE);
    BgmFolder = FolderOf(BgmFile);
}

// Writes the three keys; the first write that fails is told to the user and
// the dialog stays open with everything as it was typed.
void Vorlune_P::Cmd_Set_Click() {
    const std::string ini = ProgramFolder() + kIniName;
    const auto write = [&](const char* key, const std::string& value) {
        if (WriteIni(kSection, key, value, ini)) return true;
        // The system's error text is in its own code page, as is the path.
        const std::wstring text =
            Widen(UserTexts().settingsNotWritten) + L"\r\n\r\n" + Widen(ini) + L"\r\n\r\n" +
            Widen(vorlune::describeSystemError("WritePrivateProfileStringA", GetLastError()));
        ShowMessage(Window(), text, MB_OK | MB_ICONEXCLAMATION);
        return false;
    };
    if (!write(kKindKey, FormatIniNumber(BgmKind))) return;
    char typed[256] = {};
    GetWindowTextA(BGM_Repeat, typed, sizeof(typed));
    BgmRepeat = ui::RepeatFromText(typed);
    if (!write(kRepeatKey, FormatIniNumber(BgmRepeat))) return;
    if (!write(kFileKey, BgmFile)) return;
    Unload();
}

void Vorlune_P::lbl_URL_Click() {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(Window(), "open", kHomePage, "", "", SW_SHOWNORMAL));
    if (result <= 32) traceFailedCall("ShellExecuteA");
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

// lbl_URL: the hand pointer over it, and a click on it.
bool Vorlune_P::Form_Message(UINT message, WPARAM /*wParam*/, LPARAM lParam, LRESULT& result) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_SETCURSOR: {
            POINT cursor{};
            if (LOWORD(lParam) == HTCLIENT && hand_ != nullptr && GetCursorPos(&cursor) &&
                ScreenToClient(Window(), &cursor) && forms::Contains(lbl_URL.place, cursor)) {
                SetCursor(hand_);
                result = TRUE;
                return true;
            }
            return false;
        }
        case WM_LBUTTONDOWN:
            lbl_URL_pressed_ = forms::Contains(lbl_URL.place, point);
            return false;
        case WM_LBUTTONUP:
            if (lbl_URL_pressed_ && forms::Contains(lbl_URL.place, point)) lbl_URL_Click();
            lbl_URL_pressed_ = false;
            return false;
        default:
            return false;
    }
}

}  // namespace

void ShowSettingsDialogModal() {
    static Vorlune_P dialog;
    dialog.Show();
    if (!dialog.Loaded()) return;
    dialog.FocusFirstControl();
    forms::RunMessageLoop();
}

}  // namespace vorlune::saver
