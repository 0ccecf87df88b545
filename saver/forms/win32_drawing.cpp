#include "forms/win32_drawing.hpp"

#include "frame/win32_error.hpp"

namespace vorlune::forms {

namespace {

void DrawBuffered(HWND window, HDC dc, const std::function<void(HDC)>& draw) {
    RECT client{};
    GetClientRect(window, &client);
    const HDC compose = CreateCompatibleDC(dc);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    if (compose == nullptr || bitmap == nullptr) {
        if (compose != nullptr) DeleteDC(compose);
        if (bitmap != nullptr) DeleteObject(bitmap);
        draw(dc);  // no buffer: straight to dc
        return;
    }
    const HGDIOBJ previous = SelectObject(compose, bitmap);
    draw(compose);
    BitBlt(dc, 0, 0, client.right, client.bottom, compose, 0, 0, SRCCOPY);
    SelectObject(compose, previous);
    DeleteObject(bitmap);
    DeleteDC(compose);
}

}  // namespace

void Paint(HWND window, UINT message, WPARAM wParam, const std::function<void(HDC)>& draw) {
    const bool printing = message == WM_PRINTCLIENT;
    PAINTSTRUCT paint{};
    const HDC dc = printing ? reinterpret_cast<HDC>(wParam) : BeginPaint(window, &paint);
    if (dc != nullptr) DrawBuffered(window, dc, draw);
    if (!printing) EndPaint(window, &paint);
}

void DrawPicture(HDC dc, HBITMAP picture, const RECT& destination, const RECT& source) {
    if (picture == nullptr) return;
    const HDC from = CreateCompatibleDC(dc);
    if (from == nullptr) return;
    const HGDIOBJ previous = SelectObject(from, picture);
    const int width = destination.right - destination.left;
    const int height = destination.bottom - destination.top;
    const int sourceWidth = source.right - source.left;
    const int sourceHeight = source.bottom - source.top;
    if (width == sourceWidth && height == sourceHeight) {
        BitBlt(dc, destination.left, destination.top, width, height, from, source.left, source.top,
               SRCCOPY);
    } else {
        // Averaged, not every other pixel doubled or dropped: on a screen
        // finer than the pictures were made for, they are scaled up by
        // fractions such as 1.5. Halftoning wants the brush origin reset.
        const int mode = SetStretchBltMode(dc, HALFTONE);
        POINT origin{};
        SetBrushOrgEx(dc, 0, 0, &origin);
        StretchBlt(dc, destination.left, destination.top, width, height, from, source.left,
                   source.top, sourceWidth, sourceHeight, SRCCOPY);
        SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
        if (mode != 0) SetStretchBltMode(dc, mode);
    }
    SelectObject(from, previous);
    DeleteDC(from);
}

void DrawPicture(HDC dc, HBITMAP picture, int x, int y) {
    BITMAP size{};
    if (picture == nullptr || GetObjectA(picture, sizeof(size), &size) == 0) return;
    DrawPicture(dc, picture, RECT{x, y, x + size.bmWidth, y + size.bmHeight},
                RECT{0, 0, size.bmWidth, size.bmHeight});
}

void DrawOnBlack(HWND window, HDC dc, HBITMAP picture) {
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawPicture(dc, picture, 0, 0);
}

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
        traceFailedCall("GetClientRect");
        return false;
    }
    const int width = client.right > 0 ? client.right : 1;
    const int height = client.bottom > 0 ? client.bottom : 1;
    if (dc_ != nullptr && width == width_ && height == height_) return true;
    Release();
    const HDC screen = GetDC(window);
    if (screen == nullptr) {
        traceFailedCall("GetDC");
        return false;
    }
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(window, screen);
    if (dc_ == nullptr || bitmap_ == nullptr) {
        traceFailedCall(dc_ == nullptr ? "CreateCompatibleDC" : "CreateCompatibleBitmap");
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

}  // namespace vorlune::forms
