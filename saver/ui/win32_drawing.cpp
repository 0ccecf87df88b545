#include "ui/win32_drawing.hpp"

#include <cmath>

#include "shell/win32_failure.hpp"
#include "shell/win32_forms.hpp"

namespace vorlune::ui {

BackBuffer::~BackBuffer() {
    Release();
}

void BackBuffer::Release() {
    if (dc_ != nullptr) {
        SelectObject(dc_, previous_);
        DeleteDC(dc_);
    }
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
    previous_ = nullptr;
    width_ = height_ = 0;
}

bool BackBuffer::Fit(HWND window) {
    RECT client{};
    if (!GetClientRect(window, &client)) {
        saver::ReportFailure("GetClientRect");
        return false;
    }
    const int width = client.right > 0 ? client.right : 1;
    const int height = client.bottom > 0 ? client.bottom : 1;
    if (dc_ != nullptr && width == width_ && height == height_) return true;
    Release();
    const HDC screen = GetDC(window);
    if (screen == nullptr) {
        saver::ReportFailure("GetDC");
        return false;
    }
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(window, screen);
    if (dc_ == nullptr || bitmap_ == nullptr) {
        saver::ReportFailure(dc_ == nullptr ? "CreateCompatibleDC" : "CreateCompatibleBitmap");
        Release();
        return false;
    }
    previous_ = SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
    return true;
}

void BackBuffer::CopyTo(HDC dc) const {
    if (dc_ != nullptr) BitBlt(dc, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
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
        DrawTextA(dc, label.text.c_str(), length, &place, format);
    } else {
        // Greyed the way the system greys text: a light copy one pixel down
        // and right under a shadow-coloured one.
        RECT light = place;
        OffsetRect(&light, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, label.text.c_str(), length, &light, format);
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        DrawTextA(dc, label.text.c_str(), length, &place, format);
    }
    SetBkMode(dc, previousMode);
    if (previousFont != nullptr) SelectObject(dc, previousFont);
}

bool Contains(const RECT& rect, POINT point) {
    return PtInRect(&rect, point) != FALSE;
}

HFONT CreateLayoutFont(const FontDescription& font) {
    const HDC screen = GetDC(nullptr);
    const int dotsPerInch = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    // The character height for the point size, as the system rounds it.
    const auto height = static_cast<int>(std::lround(font.points * dotsPerInch / 72.0));
    const HFONT made =
        CreateFontA(-height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, font.underline,
                    FALSE, font.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, font.name.c_str());
    if (made == nullptr) saver::ReportFailure("CreateFontA");
    return made;
}

int PixelsX(int twips) {
    return twips / forms::TwipsPerPixelX();
}
int PixelsY(int twips) {
    return twips / forms::TwipsPerPixelY();
}
RECT PixelRect(int left, int top, int width, int height) {
    const int x = PixelsX(left);
    const int y = PixelsY(top);
    return RECT{x, y, x + PixelsX(width), y + PixelsY(height)};
}

}  // namespace vorlune::ui
