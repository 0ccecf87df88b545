#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "forms/win32_drawing.hpp"
#include "forms/win32_forms.hpp"

// The controls of a form. Image and PictureBox are child windows the form
// makes when it loads; Label and DrawnImage have no window of their own and
// are drawn by their container. Positions are in pixels of the container's
// client area.
namespace vorlune::forms {

// An image control (window class "<prefix>Image"): its picture at its
// natural size from its top-left corner, black elsewhere.
class Image final : public Control {
  public:
    explicit Image(Form& form) : Control(form) {}

    void SetPicture(HBITMAP picture);  // not owned

  private:
    void Create(HWND form) override;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HBITMAP picture_ = nullptr;
};

// A picture box (window class "<prefix>Panel"): a container with a
// persistent image, Canvas(), that keeps what was painted into it; over it
// each paint draws what Draw draws, such as the windowless controls inside.
// A mouse button pressed in it gives it the focus; Tab moves on into the
// controls inside it, then to the form's next one.
class PictureBox final : public Control {
  public:
    explicit PictureBox(Form& form) : Control(form) {}

    BackBuffer& Canvas() { return canvas_; }

    std::function<void(HDC)> Draw;
    // Any mouse button pressed, at a point of the client area.
    std::function<void(POINT)> MouseDown;

  private:
    void Create(HWND form) override;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    BackBuffer canvas_;
};

// A label: text over whatever is behind it.
struct Label {
    RECT place{0, 0, 0, 0};
    std::wstring text;
    HFONT font = nullptr;  // not owned
    COLORREF colour = RGB(0, 0, 0);
    bool centred = false;
    bool wordWrap = false;
    bool border = false;  // a sunken single frame
    bool enabled = true;  // greyed and embossed when not
};
void DrawLabel(HDC dc, const Label& label);

// An image without a window: its picture at its size in twips from the
// place's top-left corner. Pictures are made at 15 twips to the pixel
// (96 dpi), so on a finer screen they are scaled up to keep their size.
struct DrawnImage {
    RECT place{0, 0, 0, 0};
    HBITMAP picture = nullptr;  // not owned
};
void DrawImage(HDC dc, const DrawnImage& image);

bool Contains(const RECT& rect, POINT point);

}  // namespace vorlune::forms
