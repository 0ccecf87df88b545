#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "forms/win32_controls.hpp"
#include "forms/win32_drawing.hpp"
#include "forms/win32_forms.hpp"
#include "ui/command_logic.hpp"
#include "ui/property_bag.hpp"

// The program's own push button: a face of six state pictures stretched
// around a painted gradient, a centred caption that counts as the button, a
// 100 ms timer that notices the mouse leaving, and Click on release.
namespace vorlune::ui {

class Command {
  public:
    Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;
    ~Command();

    // Creates the control's window in parent at a place in twips, then reads
    // its stored properties (ambient: the container's font).
    bool Create(HWND parent, int left, int top, int width, int height, const PropertyBag& stored,
                const FontDescription& ambient);
    HWND Window() const { return window_; }

    // Arms the control: state Normal, and TmrMouse started.
    void Initialize();

    // The one property the program sets after loading: the face follows.
    void SetEnabled(bool New_Enabled);

    // Writes the persisted properties (the host's save).
    void WriteProperties(PropertyBag& bag, const FontDescription& ambient) const;

    // Raised on a release as the state allows.
    std::function<void()> Click;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void PaintFace(Face face);
    void FillGradient(bool inverted);
    void ShowEnabledState();
    void RefreshFace();
    void PlaceCaption();
    void ShowParentThrough(HDC dc);
    void SetFontObject();

    void OnMouseDown(MouseButton button);
    void OnMouseUp(MouseButton button);
    void LeaveCheck();

    HWND window_ = nullptr;
    CommandLogic logic_;
    // The caption (UTF-8, as stored), shown centred in the control's own font
    // (fontObject_).
    std::string caption_ = "Command";
    forms::Label LblMsg{{0, 0, 0, 0}, L"Command", nullptr, RGB(0, 0, 0), true};
    FontDescription font_;
    HFONT fontObject_ = nullptr;
    bool opaque_ = true;
    // Notices the mouse leaving, which sends the control no message.
    forms::Timer TmrMouse{100, false, [this] { LeaveCheck(); }};
    forms::BackBuffer face_;
};

}  // namespace vorlune::ui
