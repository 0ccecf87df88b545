#pragma once

#include <windows.h>

#include <string>

#include "ui/property_bag.hpp"

// Drawing pieces the dialog and its push buttons share: a persistent back
// buffer, windowless labels, and fonts made from their stored descriptions.
namespace vorlune::ui {

// A bitmap the size of a window's client area that holds what was last
// painted, so that a repaint only copies it.
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

// A label without a window of its own: text drawn over whatever is behind it.
struct Label {
    RECT place{0, 0, 0, 0};  // pixels, in the client area that draws it
    std::string text;        // system code page
    HFONT font = nullptr;    // not owned
    COLORREF colour = RGB(0, 0, 0);
    bool centred = false;
    bool wordWrap = false;
    bool border = false;  // a sunken single frame
    bool enabled = true;  // greyed and embossed when not
};
void DrawLabel(HDC dc, const Label& label);
bool Contains(const RECT& rect, POINT point);

// A font for the screen from its stored description.
HFONT CreateLayoutFont(const FontDescription& font);

// Twips to pixels and back on this screen.
int PixelsX(int twips);
int PixelsY(int twips);
RECT PixelRect(int left, int top, int width, int height);  // from twips

}  // namespace vorlune::ui
