#include "forms/win32_controls.hpp"

#include <windowsx.h>

#include "frame/win32_error.hpp"

namespace vorlune::forms {

Control::~Control() {
    if (window_ == nullptr) return;
    // A window that outlives its control: nothing more may reach it.
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void Control::Move(int left, int top, int width, int height) {
    place_ = {left, top, left + width, top + height};
    if (window_ != nullptr && !MoveWindow(window_, left, top, width, height, TRUE)) {
        traceFailedCall("MoveWindow");
    }
}

void Control::CreateWindowOf(HWND form, const char* kind, DWORD style, DWORD extendedStyle,
                             WNDPROC procedure) {
    const std::string windowClass = ClassName(kind);
    RegisterWindowClass(windowClass, procedure);
    window_ = CreateWindowExA(extendedStyle, windowClass.c_str(), "", style, place_.left,
                              place_.top, place_.right - place_.left, place_.bottom - place_.top,
                              form, nullptr, GetModuleHandleA(nullptr), this);
    if (window_ == nullptr) traceFailedCall(("CreateWindowExA (" + windowClass + ")").c_str());
}

void Image::SetPicture(HBITMAP picture) {
    picture_ = picture;
    if (Window() != nullptr) InvalidateRect(Window(), nullptr, TRUE);
}

void Image::Create(HWND form) {
    CreateWindowOf(form, "Image", WS_CHILD | WS_VISIBLE, 0, Procedure);
}

LRESULT CALLBACK Image::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* image = static_cast<Image*>(OwnerOf<Control>(window, message, lParam));
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
        case WM_PRINTCLIENT: {
            const HBITMAP picture = image != nullptr ? image->picture_ : nullptr;
            Paint(window, message, wParam, [&](HDC dc) { DrawOnBlack(window, dc, picture); });
            return 0;
        }
        case WM_NCDESTROY:
            if (image != nullptr) image->Destroyed();
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void PictureBox::Create(HWND form) {
    // Tab goes through the controls inside before the form's next ones.
    CreateWindowOf(form, "Panel", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                   Procedure);
}

LRESULT CALLBACK PictureBox::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* box = static_cast<PictureBox*>(OwnerOf<Control>(window, message, lParam));
    LRESULT result = 0;
    // Not while the window is being made.
    if (box != nullptr && box->Window() == window && box->Handle(message, wParam, lParam, result)) {
        return result;
    }
    if (box != nullptr && message == WM_NCDESTROY) box->Destroyed();
    return DefWindowProcA(window, message, wParam, lParam);
}

bool PictureBox::Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_PAINT:
        case WM_PRINTCLIENT:
            forms::Paint(Window(), message, wParam, [this](HDC dc) {
                canvas_.CopyTo(dc);
                if (Draw) Draw(dc);
            });
            return true;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (MouseDown) MouseDown(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            SetFocus(Window());
            return true;
        case WM_GETDLGCODE:
            // The picture box itself takes Tab: on into its own controls.
            result = DLGC_WANTTAB;
            return true;
        case WM_KEYDOWN: {
            if (wParam != VK_TAB) return false;
            const bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
            HWND next = back ? nullptr : GetNextDlgTabItem(Window(), nullptr, FALSE);
            if (next == nullptr || !IsChild(Window(), next)) {
                next = GetNextDlgTabItem(GetAncestor(Window(), GA_ROOT), Window(),
                                         back ? TRUE : FALSE);
            }
            if (next != nullptr) SetFocus(next);
            return true;
        }
        default:
            return false;
    }
}

void DrawLabel(HDC dc, const Label& label) {
    RECT place = label.place;
    if (label.border) {
        DrawEdge(dc, &place, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    const HGDIOBJ previousFont = label.font != nullptr ? SelectObject(dc, label.font) : nullptr;
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    UINT format = DT_NOPREFIX | (label.centred ? DT_CENTER : DT_LEFT);
    // A single line may run past its place: a font wider than the one the
    // layout was made with still shows the whole text.
    format |= label.wordWrap ? DT_WORDBREAK : DT_SINGLELINE | DT_NOCLIP;
    const int length = static_cast<int>(label.text.size());
    if (label.enabled) {
        SetTextColor(dc, label.colour);
        DrawTextW(dc, label.text.c_str(), length, &place, format);
    } else {
        // Greyed the way the system greys text: a light copy one pixel down
        // and right under a shadow-coloured one.
        RECT light = place;
        OffsetRect(&light, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, label.text.c_str(), length, &light, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextW(dc, label.text.c_str(), length, &place, format);
    }
    SetBkMode(dc, previousMode);
    if (previousFont != nullptr) SelectObject(dc, previousFont);
}

void DrawImage(HDC dc, const DrawnImage& image) {
    constexpr int kPictureTwipsPerPixel = 15;
    BITMAP size{};
    if (image.picture == nullptr || GetObjectA(image.picture, sizeof(size), &size) == 0) return;
    const int x = image.place.left;
    const int y = image.place.top;
    DrawPicture(dc, image.picture,
                RECT{x, y, x + PixelsX(size.bmWidth * kPictureTwipsPerPixel),
                     y + PixelsY(size.bmHeight * kPictureTwipsPerPixel)},
                RECT{0, 0, size.bmWidth, size.bmHeight});
}

bool Contains(const RECT& rect, POINT point) {
    return PtInRect(&rect, point) != FALSE;
}

}  // namespace vorlune::forms
