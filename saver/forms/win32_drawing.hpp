#pragma once

#include <windows.h>

#include <functional>

// How forms and controls draw: one way to answer a paint request, one way to
// copy a picture, and a persistent image for what was painted once.
namespace vorlune::forms {

// Answers WM_PAINT (between BeginPaint and EndPaint) and WM_PRINTCLIENT (into
// the DC it brings) alike. draw paints the whole client area into a buffer
// first, which then reaches the window in one copy, so nothing flickers.
void Paint(HWND window, UINT message, WPARAM wParam, const std::function<void(HDC)>& draw);

// Copies a part of a picture (source, in the picture's pixels) to the
// destination in dc, stretched smoothly when the two sizes differ.
void DrawPicture(HDC dc, HBITMAP picture, const RECT& destination, const RECT& source);
// The whole picture at its natural size, its top-left corner at (x, y).
void DrawPicture(HDC dc, HBITMAP picture, int x, int y);
// The window's client area black, with the picture (if any) at its natural
// size from the top-left corner.
void DrawOnBlack(HWND window, HDC dc, HBITMAP picture);

// A bitmap the size of a window's client area that holds what was last
// painted into it, so that a repaint only copies it.
class BackBuffer {
  public:
    BackBuffer() = default;
    BackBuffer(const BackBuffer&) = delete;
    BackBuffer& operator=(const BackBuffer&) = delete;
    ~BackBuffer();

    // Resizes to the window's client area; false when that fails.
    bool Fit(HWND window);
    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Copies the buffer to dc at its top-left corner.
    void CopyTo(HDC dc) const;

  private:
    void Release();

    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace vorlune::forms
