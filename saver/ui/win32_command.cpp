#include "ui/win32_command.hpp"

#include <windowsx.h>

#include <array>
#include <cmath>

#include "forms/win32_picture.hpp"
#include "forms/win32_text.hpp"
#include "frame/win32_error.hpp"
#include "resources/shell_resources.h"
#include "ui/face_geometry.hpp"
#include "ui/win32_font.hpp"

namespace vorlune::ui {

namespace {

// The state pictures, loaded once from the program's resources and shared by
// every button; in the order of Face after None.
HBITMAP StatePicture(Face face) {
    static const std::array<HBITMAP, 6> pictures = [] {
        constexpr std::array<int, 6> ids{VORLUNE_BUTTON_NORMAL,           VORLUNE_BUTTON_HIGHLIGHT,
                                         VORLUNE_BUTTON_HIGHLIGHT_SELECT, VORLUNE_BUTTON_SELECTED,
                                         VORLUNE_BUTTON_PRESSED,          VORLUNE_BUTTON_DISABLE};
        std::array<HBITMAP, 6> loaded{};
        for (std::size_t i = 0; i < ids.size(); ++i) loaded[i] = forms::LoadResourceBitmap(ids[i]);
        return loaded;
    }();
    if (face == Face::None) return nullptr;
    return pictures[static_cast<std::size_t>(face) - 1];
}

// The pictures are drawn at 15 twips to the pixel, whatever the screen.
constexpr int kPictureTwipsPerPixel = kPictureWidth / 64;

}  // namespace

Command::~Command() {
    if (fontObject_ != nullptr) DeleteObject(fontObject_);
    if (window_ != nullptr) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool Command::Create(HWND parent, int left, int top, int width, int height,
                     const PropertyBag& stored, const FontDescription& ambient) {
    const std::string windowClass = forms::ClassName("Command");
    forms::RegisterWindowClass(windowClass, Procedure);
    // The properties come first: the first resize paints with them.
    const CommandProperties properties = ReadCommandProperties(stored, ambient);
    logic_.SetEnabled(properties.enabled);
    caption_ = properties.caption;
    LblMsg.text = forms::Widen(caption_, CP_UTF8);
    font_ = properties.font;
    SetFontObject();
    logic_.SetFirstRun(properties.firstRun);
    LblMsg.colour = properties.fontColour;
    opaque_ = properties.visible != 0;

    const RECT place = forms::PixelRect(left, top, width, height);
    window_ =
        CreateWindowExA(0, windowClass.c_str(), "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, place.left,
                        place.top, place.right - place.left, place.bottom - place.top, parent,
                        nullptr, GetModuleHandleA(nullptr), this);
    if (window_ == nullptr) {
        traceFailedCall("CreateWindowExA (button)");
        return false;
    }
    TmrMouse.Attach(window_);
    RefreshFace();
    return true;
}

void Command::Initialize() {
    logic_.Initialize();
    TmrMouse.SetEnabled(true);
}

void Command::SetEnabled(bool New_Enabled) {
    logic_.SetEnabled(New_Enabled);
    ShowEnabledState();
}

void Command::WriteProperties(PropertyBag& bag, const FontDescription& ambient) const {
    CommandProperties properties;
    properties.enabled = logic_.Enabled();
    properties.caption = caption_;
    properties.firstRun = logic_.FirstRun();
    properties.font = font_;
    properties.fontColour = LblMsg.colour;
    properties.visible = opaque_ ? 1 : 0;
    WriteCommandProperties(bag, properties, ambient);
}

void Command::SetFontObject() {
    if (fontObject_ != nullptr) DeleteObject(fontObject_);
    fontObject_ = CreateLayoutFont(font_);
    LblMsg.font = fontObject_;
}

void Command::ShowEnabledState() {
    if (logic_.Enabled()) {
        PaintFace(Face::Normal);
        LblMsg.enabled = true;
    } else {
        PaintFace(Face::Disable);
        LblMsg.enabled = false;
    }
    if (window_ != nullptr) {
        // The window follows, so that the system and its tools see the state.
        EnableWindow(window_, logic_.Enabled() ? TRUE : FALSE);
        InvalidateRect(window_, nullptr, FALSE);
    }
}

void Command::RefreshFace() {
    if (!logic_.Enabled()) return;
    LblMsg.enabled = true;
    if (logic_.FirstRun() == 0) LblMsg.colour = RGB(0, 0, 0);
    PaintFace(Face::Normal);
}

void Command::PaintFace(Face face) {
    if (face == Face::None) return;
    const bool inverted = logic_.UpdateGradientDirection();
    if (window_ == nullptr || !face_.Fit(window_)) return;
    const HDC dc = face_.Dc();
    // Clear, then the gradient, then the frame's eight slices over it.
    RECT all{0, 0, face_.Width(), face_.Height()};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    FillGradient(inverted);

    const HBITMAP picture = StatePicture(face);
    const int twipsX = forms::TwipsPerPixelX();
    const int twipsY = forms::TwipsPerPixelY();
    const auto pixels = [](const TwipRect& rect, int perX, int perY) {
        const int x = rect.x / perX;
        const int y = rect.y / perY;
        return RECT{x, y, x + rect.width / perX, y + rect.height / perY};
    };
    for (const Slice& slice : FaceSlices(face_.Width() * twipsX, face_.Height() * twipsY)) {
        if (slice.destination.width <= 0 || slice.destination.height <= 0) continue;
        forms::DrawPicture(dc, picture, pixels(slice.destination, twipsX, twipsY),
                           pixels(slice.source, kPictureTwipsPerPixel, kPictureTwipsPerPixel));
    }
    InvalidateRect(window_, nullptr, FALSE);
    PlaceCaption();
}

void Command::FillGradient(bool inverted) {
    const int w = face_.Width();
    const int h = face_.Height();
    const FaceGradient colours = FaceGradientColours(inverted);
    TRIVERTEX vertices[2]{};
    vertices[0].x = 0;
    vertices[0].y = 0;
    vertices[0].Red = colours.top.red;
    vertices[0].Green = colours.top.green;
    vertices[0].Blue = colours.top.blue;
    vertices[1].x = w - 1;
    vertices[1].y = h - 1;
    vertices[1].Red = colours.bottom.red;
    vertices[1].Green = colours.bottom.green;
    vertices[1].Blue = colours.bottom.blue;
    GRADIENT_RECT rect{0, 1};
    if (!GradientFill(face_.Dc(), vertices, 2, &rect, 1, GRADIENT_FILL_RECT_V)) {
        traceFailedCall("GradientFill");
    }
}

void Command::PlaceCaption() {
    if (window_ == nullptr) return;
    RECT client{};
    GetClientRect(window_, &client);
    // The label is as high as a line of its font.
    int lineHeight = 0;
    const HDC dc = GetDC(window_);
    if (dc != nullptr) {
        const HGDIOBJ previous = fontObject_ != nullptr ? SelectObject(dc, fontObject_) : nullptr;
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(dc, &metrics)) lineHeight = metrics.tmHeight;
        if (previous != nullptr) SelectObject(dc, previous);
        ReleaseDC(window_, dc);
    }
    const int twipsY = forms::TwipsPerPixelY();
    const int top = CaptionTop(client.bottom * twipsY, lineHeight * twipsY) / twipsY;
    const RECT place{0, top, client.right, top + lineHeight};
    if (!EqualRect(&place, &LblMsg.place)) {
        LblMsg.place = place;
        InvalidateRect(window_, nullptr, FALSE);
    }
}

// A transparent background: what the parent draws under the control.
void Command::ShowParentThrough(HDC dc) {
    const HWND parent = GetParent(window_);
    POINT origin{0, 0};
    if (parent == nullptr) return;
    // (A control at the parent's origin maps to 0: no failure to tell apart.)
    MapWindowPoints(window_, parent, &origin, 1);
    POINT previous{};
    SetViewportOrgEx(dc, -origin.x, -origin.y, &previous);
    SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetViewportOrgEx(dc, previous.x, previous.y, nullptr);
}

void Command::OnMouseDown(MouseButton button) {
    // A press gives the button the focus first, as any control takes it.
    if (GetFocus() != window_) SetFocus(window_);
    SetCapture(window_);
    PaintFace(logic_.MouseDown(button));
}

void Command::OnMouseUp(MouseButton button) {
    if (GetCapture() == window_ && (GetKeyState(VK_LBUTTON) & 0x8000) == 0 &&
        (GetKeyState(VK_RBUTTON) & 0x8000) == 0 && (GetKeyState(VK_MBUTTON) & 0x8000) == 0) {
        ReleaseCapture();
    }
    const Release release = logic_.MouseUp(button);
    PaintFace(release.face);
    if (release.click && Click) Click();
}

// The cursor over the caption is over the control: the caption has no
// window of its own.
void Command::LeaveCheck() {
    POINT cursor{};
    bool over = false;
    if (GetCursorPos(&cursor)) over = WindowFromPoint(cursor) == window_;
    PaintFace(logic_.TimerTick(over));
}

LRESULT CALLBACK Command::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* command = forms::OwnerOf<Command>(window, message, lParam);
    if (command == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCCREATE) command->window_ = window;
    return command->Handle(message, wParam, lParam);
}

LRESULT Command::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            ShowEnabledState();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
        case WM_PRINTCLIENT:
            forms::Paint(window_, message, wParam, [this](HDC dc) {
                if (opaque_) {
                    face_.CopyTo(dc);
                } else {
                    ShowParentThrough(dc);
                }
                forms::DrawLabel(dc, LblMsg);
            });
            return 0;
        case WM_MOUSEMOVE:
            PaintFace(logic_.MouseMove());
            return 0;
        case WM_LBUTTONDOWN:
            OnMouseDown(MouseButton::Left);
            return 0;
        case WM_RBUTTONDOWN:
            OnMouseDown(MouseButton::Right);
            return 0;
        case WM_MBUTTONDOWN:
            OnMouseDown(MouseButton::Middle);
            return 0;
        case WM_LBUTTONUP:
            OnMouseUp(MouseButton::Left);
            return 0;
        case WM_RBUTTONUP:
            OnMouseUp(MouseButton::Right);
            return 0;
        case WM_MBUTTONUP:
            OnMouseUp(MouseButton::Middle);
            return 0;
        case WM_SETFOCUS:
            PaintFace(logic_.GotFocus());
            return 0;
        case WM_KILLFOCUS:
            PaintFace(logic_.LostFocus());
            return 0;
        case WM_TIMER:
            TmrMouse.Tick(wParam);
            return 0;
        case WM_NCDESTROY: {
            const HWND window = window_;
            TmrMouse.Attach(nullptr);
            window_ = nullptr;
            return DefWindowProcA(window, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcA(window_, message, wParam, lParam);
}

}  // namespace vorlune::ui
