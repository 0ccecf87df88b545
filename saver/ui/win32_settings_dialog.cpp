// The settings dialog "<Vorlune>": the music kind, the CD track to repeat
// and the music file, saved to Vorlune.ini by 設定.
#include "ui/win32_settings_dialog.hpp"

#include <commdlg.h>
#include <shellapi.h>
#include <windows.h>
#include <windowsx.h>

#include <array>
#include <cstdint>
#include <string>

#include "frame/win32_error.hpp"
#include "shell/settings_rules.hpp"
#include "shell/settings_values.hpp"
#include "shell/shell_names.hpp"
#include "shell/win32_animation.hpp"
#include "shell/win32_failure.hpp"
#include "shell/win32_forms.hpp"
#include "shell/win32_settings_store.hpp"
#include "shell_resources.h"
#include "ui/dialog_rules.hpp"
#include "ui/win32_command.hpp"
#include "ui/win32_drawing.hpp"

namespace vorlune::saver {

namespace {

using ui::Command;
using ui::FontDescription;
using ui::Label;
using ui::PixelRect;

// The maker, as the credit line and the home-page link show it.
constexpr char kCredit[] = "Designed by Vorlune Ver.1.0.0";
// A stand-in until the project has a home page: the .example domain is
// reserved for examples and leads nowhere.
constexpr char kHomePage[] = "https://vorlune.example/";

// The layout, in twips.
constexpr int kClientWidth = 7440;
constexpr int kClientHeight = 3645;
constexpr int kRepeatEntries = 31;

const FontDescription& LayoutFont() {
    static const FontDescription font{"ＭＳ Ｐゴシック", 9.75, 128, false, false, false};
    return font;
}

// The stored properties of a push button of this layout: caption, font and
// the host's size keys (HIMETRIC, 0.01 mm).
ui::PropertyBag ButtonLayout(const char* caption, int width, int height) {
    ui::PropertyBag bag;
    bag.Write("_extentx", std::to_string(width * 2540 / 1440), "");
    bag.Write("_extenty", std::to_string(height * 2540 / 1440), "");
    bag.Write("Caption", caption, "Command");
    bag.Write("Font", ui::FormatFont(LayoutFont()), "");
    return bag;
}

HBITMAP LoadPicture(int id) {
    const auto picture = static_cast<HBITMAP>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (picture == nullptr) ReportFailure("LoadImageA (option mark)");
    return picture;
}

// One horizontal line per pixel row, 0 to the client height inclusive.
void PaintGradient(ui::BackBuffer& buffer, bool panel) {
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

void DrawPictureAt(HDC dc, HBITMAP picture, const RECT& place) {
    BITMAP size{};
    if (picture == nullptr || GetObjectA(picture, sizeof(size), &size) == 0) return;
    const HDC source = CreateCompatibleDC(dc);
    if (source == nullptr) return;
    const HGDIOBJ previous = SelectObject(source, picture);
    BitBlt(dc, place.left, place.top, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, previous);
    DeleteDC(source);
}

class SettingsDialog final : public forms::Form {
  public:
    SettingsDialog() : Form(kSettingsCaption) {
        SetWindowStyle(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_WINDOWEDGE);
    }
    ~SettingsDialog() override {
        for (const HGDIOBJ made :
             {static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(underlined_),
              static_cast<HGDIOBJ>(notChosen_), static_cast<HGDIOBJ>(chosen_)}) {
            if (made != nullptr) DeleteObject(made);
        }
        if (hand_ != nullptr) DestroyCursor(hand_);
    }

    // The first control in the tab order that takes the focus: the panel
    // (the labels before it cannot).
    void FocusFirstControl() const {
        if (panel_ != nullptr) SetFocus(panel_);
    }

  protected:
    void Form_Load() override;
    void Form_Unload(bool& cancel) override;
    bool Form_Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void CreateControls();
    void SizeToLayout();
    void Place();
    void ShowKindMarks(std::int16_t kind);
    void ChooseKind(int kind);
    void ChooseFile();
    void Save();
    void OpenHomePage();
    void Resize();

    bool PanelMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    static LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintSurface(HWND window, HDC dc, bool panel);

    HWND panel_ = nullptr;   // Pic_C (0)
    HWND repeat_ = nullptr;  // BGM_Repeat
    HFONT font_ = nullptr;
    HFONT underlined_ = nullptr;
    HCURSOR hand_ = nullptr;
    HBITMAP notChosen_ = nullptr;     // Img_Ra (0)
    HBITMAP chosen_ = nullptr;        // Img_Ra (1)
    std::array<HBITMAP, 3> marks_{};  // what Img_BGM (0..2) show
    std::array<RECT, 3> markPlaces_{};
    std::array<Label, 3> kindLabels_{};  // lbl_BGM (0..2)
    Label heading_;                      // lbl (15)
    Label repeatLabel_;                  // lbl (14)
    Label fileLabel_;                    // lbl_Fname (0)
    Label credit_;                       // lbl (7)
    Label homePage_;                     // lbl_URL
    RECT headingFrame_{};                // Shape3 (3)
    Command cmdFile_;
    Command cmdSet_;
    Command cmdCan_;
    ui::BackBuffer formBack_;
    ui::BackBuffer panelBack_;
    bool homePagePressed_ = false;
};

void SettingsDialog::CreateControls() {
    const HWND form = Window();
    font_ = ui::CreateLayoutFont(LayoutFont());
    FontDescription underlined = LayoutFont();
    underlined.underline = true;
    underlined_ = ui::CreateLayoutFont(underlined);
    hand_ = static_cast<HCURSOR>(LoadImageA(GetModuleHandleA(nullptr),
                                            MAKEINTRESOURCEA(VORLUNE_HAND_CURSOR), IMAGE_CURSOR, 0,
                                            0, LR_DEFAULTCOLOR));
    if (hand_ == nullptr) ReportFailure("LoadImageA (hand cursor)");
    notChosen_ = LoadPicture(VORLUNE_OPTION_OFF);
    chosen_ = LoadPicture(VORLUNE_OPTION_ON);
    const auto icon = static_cast<HICON>(LoadImageA(
        GetModuleHandleA(nullptr), MAKEINTRESOURCEA(VORLUNE_ICON), IMAGE_ICON, 32, 32, LR_SHARED));
    if (icon != nullptr) SendMessageA(form, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));

    forms::RegisterWindowClass("VorlunePanel", PanelProcedure);
    const RECT panel = PixelRect(180, 240, 7035, 2475);
    // Tab goes through the panel's controls, then the form's buttons.
    panel_ = CreateWindowExA(WS_EX_CONTROLPARENT, "VorlunePanel", "",
                             WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, panel.left, panel.top,
                             panel.right - panel.left, panel.bottom - panel.top, form, nullptr,
                             GetModuleHandleA(nullptr), this);
    if (panel_ == nullptr) ReportFailure("CreateWindowExA (panel)");

    headingFrame_ = PixelRect(300, 300, 1695, 315);
    heading_ = Label{PixelRect(300, 360, 1665, 195), "BGM", font_, RGB(0, 0, 0), true};
    constexpr std::array<const char*, 3> kinds{"なし", "音楽CD", "MP3、WAV"};
    constexpr std::array<int, 3> kindTops{1140, 840, 1440};
    constexpr std::array<int, 3> kindWidths{330, 645, 900};
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        markPlaces_[i] = PixelRect(420, kindTops[i], 195, 195);
        kindLabels_[i] = Label{PixelRect(660, kindTops[i], kindWidths[i], 195), kinds[i], font_};
    }
    repeatLabel_ = Label{PixelRect(2340, 840, 990, 195), "曲目をﾘﾋﾟｰﾄ", font_};
    fileLabel_ = Label{PixelRect(1080, 1740, 5595, 495), "", font_};
    fileLabel_.wordWrap = true;
    fileLabel_.border = true;
    credit_ = Label{PixelRect(180, 2880, 2475, 195), kCredit, font_, RGB(255, 255, 255)};
    homePage_ = Label{PixelRect(180, 3120, 3105, 195), kHomePage, underlined_, RGB(255, 255, 255)};

    // The combo box: an editable text over a list. Its window's height
    // includes the dropped-down list.
    const RECT repeat = PixelRect(1680, 780, 615, 300);
    repeat_ = CreateWindowExA(
        WS_EX_CLIENTEDGE, "COMBOBOX", "",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
        repeat.left, repeat.top, repeat.right - repeat.left, (repeat.bottom - repeat.top) * 8,
        panel_, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (repeat_ == nullptr) ReportFailure("CreateWindowExA (combo box)");
    if (repeat_ != nullptr && font_ != nullptr) {
        SendMessageA(repeat_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    }

    const FontDescription& ambient = LayoutFont();
    cmdFile_.Create(panel_, 420, 1740, 615, 315, ButtonLayout("...", 615, 315), ambient);
    cmdSet_.Create(form, 4860, 3000, 1155, 375, ButtonLayout("設定", 1155, 375), ambient);
    cmdCan_.Create(form, 6060, 3000, 1155, 375, ButtonLayout("ｷｬﾝｾﾙ", 1155, 375), ambient);
    cmdFile_.Click = [this] { ChooseFile(); };
    cmdSet_.Click = [this] { Save(); };
    cmdCan_.Click = [this] { Unload(); };
}

// The client area of the layout, and the frame around it.
void SettingsDialog::SizeToLayout() {
    RECT frame{0, 0, ui::PixelsX(kClientWidth), ui::PixelsY(kClientHeight)};
    const auto style = static_cast<DWORD>(GetWindowLongA(Window(), GWL_STYLE));
    const auto extended = static_cast<DWORD>(GetWindowLongA(Window(), GWL_EXSTYLE));
    if (!AdjustWindowRectEx(&frame, style, FALSE, extended)) ReportFailure("AdjustWindowRectEx");
    SetWindowPos(Window(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Centred across, one third down, by the window's outer size.
void SettingsDialog::Place() {
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

void SettingsDialog::ShowKindMarks(std::int16_t kind) {
    marks_.fill(notChosen_);
    // A kind outside the three (a hand-edited file) marks none.
    if (kind >= 0 && kind < static_cast<std::int16_t>(marks_.size())) {
        marks_[static_cast<std::size_t>(kind)] = chosen_;
    }
    if (panel_ != nullptr) InvalidateRect(panel_, nullptr, FALSE);
}

void SettingsDialog::Form_Load() {
    CreateControls();
    SizeToLayout();
    Place();
    EnableTabNavigation();
    cmdCan_.Initialize();
    cmdSet_.Initialize();
    cmdFile_.Initialize();
    EnableWindow(repeat_, FALSE);
    ShowKindMarks(BgmKind);
    if (BgmKind == 1) EnableWindow(repeat_, TRUE);
    cmdFile_.SetEnabled(BgmKind == 2);
    SetWindowTextA(repeat_, ui::FormatHashHash(BgmRepeat).c_str());
    for (int entry = 0; entry < kRepeatEntries; ++entry) {
        const std::string text = ui::FormatHashHash(entry);
        if (SendMessageA(repeat_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0) {
            ReportFailure("CB_ADDSTRING");
        }
    }
    fileLabel_.text = BgmFile;
    POINT cursor{};
    if (GetCursorPos(&cursor)) {
        AnimAnchor = {static_cast<std::int16_t>(cursor.x), static_cast<std::int16_t>(cursor.y)};
    } else {
        AnimAnchor = {0, 0};
    }
    AnimateOpen(Window());
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

void SettingsDialog::Form_Unload(bool& /*cancel*/) {
    AnimateClose(Window());
}

void SettingsDialog::ChooseKind(int kind) {
    BgmKind = static_cast<std::int16_t>(kind);
    cmdFile_.SetEnabled(false);
    EnableWindow(repeat_, FALSE);
    ShowKindMarks(BgmKind);
    if (kind == 1) EnableWindow(repeat_, TRUE);
    if (kind == 2) cmdFile_.SetEnabled(true);
}

void SettingsDialog::ChooseFile() {
    char file[256] = {};
    char title[256] = {};
    static constexpr char kFilter[] = "BGMﾌｧｲﾙ (MP3 WAV)\0*.MP3;*.WAV\0";
    OPENFILENAMEA chooser{};
    // The record as it was before the fields of later systems.
    chooser.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    chooser.hwndOwner = Window();
    chooser.hInstance = GetModuleHandleA(nullptr);
    chooser.lpstrFilter = kFilter;
    chooser.nFilterIndex = 0;
    chooser.lpstrFile = file;
    chooser.nMaxFile = 255;
    chooser.lpstrFileTitle = title;
    chooser.nMaxFileTitle = 255;
    chooser.lpstrInitialDir = BgmFolder.c_str();
    chooser.lpstrTitle = "ﾌｧｲﾙを開く";
    chooser.Flags = 0;
    if (GetOpenFileNameA(&chooser) <= 0) {
        const DWORD error = CommDlgExtendedError();
        if (error != 0) {
            const std::string text = "GetOpenFileNameA: error " + std::to_string(error) + "\r\n";
            OutputDebugStringA(text.c_str());
        }
        return;
    }
    BgmFile = file;  // up to its first NUL
    fileLabel_.text = BgmFile;
    if (panel_ != nullptr) InvalidateRect(panel_, nullptr, FALSE);
    BgmFolder = FolderOf(BgmFile);
}

// Writes the three keys; the first write that fails is told to the user and
// the dialog stays open with everything as it was typed.
void SettingsDialog::Save() {
    const std::string ini = ProgramFolder() + kIniName;
    const auto write = [&](const char* key, const std::string& value) {
        if (WriteIni(kSection, key, value, ini)) return true;
        const std::string text =
            "設定をファイルに書き込めませんでした。\r\n\r\n" + ini + "\r\n\r\n" +
            vorlune::describeSystemError("WritePrivateProfileStringA", GetLastError());
        MessageBoxA(Window(), text.c_str(), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
        return false;
    };
    if (!write(kKindKey, FormatIniNumber(BgmKind))) return;
    char typed[256] = {};
    GetWindowTextA(repeat_, typed, sizeof(typed));
    BgmRepeat = ui::RepeatFromText(typed);
    if (!write(kRepeatKey, FormatIniNumber(BgmRepeat))) return;
    if (!write(kFileKey, BgmFile)) return;
    Unload();
}

void SettingsDialog::OpenHomePage() {
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(Window(), "open", kHomePage, "", "", SW_SHOWNORMAL));
    if (result <= 32) ReportFailure("ShellExecuteA");
    SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

void SettingsDialog::Resize() {
    if (formBack_.Fit(Window())) PaintGradient(formBack_, false);
    if (panel_ != nullptr && panelBack_.Fit(panel_)) PaintGradient(panelBack_, true);
    InvalidateRect(Window(), nullptr, FALSE);
    if (panel_ != nullptr) InvalidateRect(panel_, nullptr, FALSE);
}

void SettingsDialog::PaintSurface(HWND window, HDC dc, bool panel) {
    // Into a buffer of the window's size first, so nothing flickers.
    RECT client{};
    GetClientRect(window, &client);
    const HDC compose = CreateCompatibleDC(dc);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    if (compose == nullptr || bitmap == nullptr) {
        if (compose != nullptr) DeleteDC(compose);
        if (bitmap != nullptr) DeleteObject(bitmap);
        (panel ? panelBack_ : formBack_).CopyTo(dc);
        return;
    }
    const HGDIOBJ previous = SelectObject(compose, bitmap);
    if (panel) {
        panelBack_.CopyTo(compose);
        FrameRect(compose, &headingFrame_, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        ui::DrawLabel(compose, heading_);
        for (std::size_t i = 0; i < marks_.size(); ++i) {
            DrawPictureAt(compose, marks_[i], markPlaces_[i]);
            ui::DrawLabel(compose, kindLabels_[i]);
        }
        ui::DrawLabel(compose, repeatLabel_);
        ui::DrawLabel(compose, fileLabel_);
    } else {
        formBack_.CopyTo(compose);
        ui::DrawLabel(compose, credit_);
        ui::DrawLabel(compose, homePage_);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, compose, 0, 0, SRCCOPY);
    SelectObject(compose, previous);
    DeleteObject(bitmap);
    DeleteDC(compose);
}

bool SettingsDialog::Form_Message(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_SIZE:
            Resize();
            return false;
        case WM_PAINT:
        case WM_PRINTCLIENT: {
            PAINTSTRUCT paint{};
            const HDC dc =
                message == WM_PAINT ? BeginPaint(Window(), &paint) : reinterpret_cast<HDC>(wParam);
            if (dc != nullptr) PaintSurface(Window(), dc, false);
            if (message == WM_PAINT) EndPaint(Window(), &paint);
            result = 0;
            return true;
        }
        case WM_SETCURSOR: {
            POINT cursor{};
            if (LOWORD(lParam) == HTCLIENT && hand_ != nullptr && GetCursorPos(&cursor) &&
                ScreenToClient(Window(), &cursor) && ui::Contains(homePage_.place, cursor)) {
                SetCursor(hand_);
                result = TRUE;
                return true;
            }
            return false;
        }
        case WM_LBUTTONDOWN:
            homePagePressed_ = ui::Contains(homePage_.place, point);
            return false;
        case WM_LBUTTONUP:
            if (homePagePressed_ && ui::Contains(homePage_.place, point)) OpenHomePage();
            homePagePressed_ = false;
            return false;
        default:
            return false;
    }
}

bool SettingsDialog::PanelMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_PAINT:
        case WM_PRINTCLIENT: {
            PAINTSTRUCT paint{};
            const HDC dc =
                message == WM_PAINT ? BeginPaint(panel_, &paint) : reinterpret_cast<HDC>(wParam);
            if (dc != nullptr) PaintSurface(panel_, dc, true);
            if (message == WM_PAINT) EndPaint(panel_, &paint);
            result = 0;
            return true;
        }
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            // Any button chooses the kind of the mark or label under it.
            for (std::size_t i = 0; i < marks_.size(); ++i) {
                if (ui::Contains(markPlaces_[i], point) ||
                    ui::Contains(kindLabels_[i].place, point)) {
                    ChooseKind(static_cast<int>(i));
                    break;
                }
            }
            SetFocus(panel_);
            result = 0;
            return true;
        case WM_GETDLGCODE:
            // The panel itself takes Tab: on into its own controls.
            result = DLGC_WANTTAB;
            return true;
        case WM_KEYDOWN:
            if (wParam == VK_TAB) {
                const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
                HWND next = back ? nullptr : GetNextDlgTabItem(panel_, nullptr, FALSE);
                if (next == nullptr || !IsChild(panel_, next)) {
                    next = GetNextDlgTabItem(Window(), panel_, back ? TRUE : FALSE);
                }
                if (next != nullptr) SetFocus(next);
                result = 0;
                return true;
            }
            return false;
        default:
            return false;
    }
}

LRESULT CALLBACK SettingsDialog::PanelProcedure(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
    auto* dialog = forms::OwnerOf<SettingsDialog>(window, message, lParam);
    LRESULT result = 0;
    if (dialog != nullptr && dialog->panel_ == window &&
        dialog->PanelMessage(message, wParam, lParam, result)) {
        return result;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void ShowSettingsDialogModal() {
    static SettingsDialog dialog;
    dialog.Show();
    if (!dialog.Loaded()) return;
    dialog.FocusFirstControl();
    forms::RunMessageLoop();
}

}  // namespace vorlune::saver
