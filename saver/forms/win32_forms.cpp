#include "forms/win32_forms.hpp"

#include <cmath>
#include <utility>

#include "forms/win32_drawing.hpp"
#include "frame/win32_error.hpp"

namespace vorlune::forms {

namespace {

// A window property: the form's controls take Tab from the message loop.
constexpr char kTabNavigation[] = "FormsTabNavigation";

std::string classPrefix;
int loadedForms = 0;

int TwipsPerPixel(int axis) {
    const HDC screen = GetDC(nullptr);
    const int dotsPerInch = screen != nullptr ? GetDeviceCaps(screen, axis) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    if (dotsPerInch <= 0) return 15;
    return (1440 + dotsPerInch / 2) / dotsPerInch;
}

}  // namespace

void SetClassPrefix(std::string prefix) {
    classPrefix = std::move(prefix);
}

std::string ClassName(const char* kind) {
    return classPrefix + kind;
}

void RegisterWindowClass(const std::string& name, WNDPROC procedure) {
    WNDCLASSA existing{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name.c_str(), &existing)) return;
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = name.c_str();
    if (!RegisterClassA(&windowClass)) traceFailedCall("RegisterClassA");
}

int TwipsPerPixelX() {
    return TwipsPerPixel(LOGPIXELSX);
}
int TwipsPerPixelY() {
    return TwipsPerPixel(LOGPIXELSY);
}

// To the nearest pixel, halves up: at 10 twips to the pixel (144 dpi) the
// layout's 3645-twip height is 365 pixels, not one short.
int PixelsX(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / TwipsPerPixelX()));
}
int PixelsY(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / TwipsPerPixelY()));
}
// Edges rounded, not sizes: controls that meet in twips meet in pixels.
RECT PixelRect(int left, int top, int width, int height) {
    return RECT{PixelsX(left), PixelsY(top), PixelsX(left + width), PixelsY(top + height)};
}

Timer::Timer(Form& form, std::uint32_t interval, bool enabled, std::function<void()> onTick)
    : Timer(interval, enabled, std::move(onTick)) {
    form.timers_.push_back(this);
}

Timer::Timer(std::uint32_t interval, bool enabled, std::function<void()> onTick)
    : interval_(interval), enabled_(enabled), onTick_(std::move(onTick)) {}

Timer::~Timer() {
    Attach(nullptr);
}

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Arm();
}

void Timer::Attach(HWND window) {
    if (window_ != nullptr && window_ != window) KillTimer(window_, Id());
    window_ = window;
    Arm();
}

void Timer::Tick(WPARAM id) {
    if (id == Id() && enabled_ && onTick_) onTick_();
}

void Timer::Arm() {
    if (window_ == nullptr) return;
    if (enabled_ && interval_ > 0) {
        if (SetTimer(window_, Id(), interval_, nullptr) == 0) traceFailedCall("SetTimer");
    } else {
        KillTimer(window_, Id());
    }
}

Control::Control(Form& form) {
    form.controls_.push_back(this);
}

Form::Form(std::string caption) : caption_(std::move(caption)) {}

Form::~Form() {
    if (window_ != nullptr) {
        // Nothing more may reach this object.
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void Form::Load() {
    if (Loaded()) return;
    const std::string windowClass = ClassName("Form");
    RegisterWindowClass(windowClass, Procedure);
    // A top-level window (borderless unless the form says otherwise), hidden
    // until shown.
    window_ =
        CreateWindowExA(extendedStyle_, windowClass.c_str(), caption_.c_str(), style_ & ~WS_VISIBLE,
                        0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (window_ == nullptr) {
        traceFailedCall("CreateWindowExA (form)");
        return;
    }
    ++loadedForms;
    unloading_ = false;
    for (Control* control : controls_) control->Create(window_);
    for (Timer* timer : timers_) timer->Attach(window_);
    Form_Load();
}

void Form::Show() {
    Load();
    if (Loaded()) ShowWindow(window_, SW_SHOW);
}

void Form::Unload() {
    if (!Loaded() || unloading_) return;
    if (!RaiseUnload(UnloadMode::FormCode, true)) return;
    unloading_ = true;
    DestroyWindow(window_);
}

void Form::Move(int left, int top, int width, int height) {
    if (!Loaded()) return;
    const int x = TwipsPerPixelX();
    const int y = TwipsPerPixelY();
    if (!MoveWindow(window_, left / x, top / y, width / x, height / y, TRUE)) {
        traceFailedCall("MoveWindow");
    }
}

void Form::EnableTabNavigation() {
    if (Loaded() && !SetPropA(window_, kTabNavigation, window_)) traceFailedCall("SetPropA");
}

void Form::SetWindowStyle(DWORD style, DWORD extendedStyle) {
    style_ = style;
    extendedStyle_ = extendedStyle;
}

void Form::SetPicture(HBITMAP picture) {
    picture_ = picture;
    if (Loaded()) InvalidateRect(window_, nullptr, TRUE);
}

void Form::Form_Paint(HDC dc) {
    DrawOnBlack(window_, dc, picture_);
}

bool Form::RaiseUnload(UnloadMode mode, bool mayCancel) {
    bool cancel = false;
    Form_QueryUnload(cancel, mode);
    if (cancel && mayCancel) return false;
    cancel = false;
    Form_Unload(cancel);
    return !(cancel && mayCancel);
}

void Form::Destroyed() {
    if (!unloading_) {
        // Destroyed from outside, with the parent it was given: nothing can
        // keep it, but its handlers still run.
        unloading_ = true;
        RaiseUnload(UnloadMode::FormOwner, false);
    }
    for (Timer* timer : timers_) timer->Attach(nullptr);
    window_ = nullptr;
    if (--loadedForms == 0) PostQuitMessage(0);
}

LRESULT CALLBACK Form::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* form = OwnerOf<Form>(window, message, lParam);
    if (form == nullptr) return DefWindowProcA(window, message, wParam, lParam);
    if (message != WM_CLOSE && message != WM_DESTROY) {
        LRESULT result = 0;
        if (form->Form_Message(message, wParam, lParam, result)) return result;
    }
    switch (message) {
        case WM_TIMER:
            for (Timer* timer : form->timers_) timer->Tick(wParam);
            return 0;
        case WM_SIZE:
            // Not while the window is being made: the form is not loaded yet.
            if (form->Loaded()) form->Form_Resize();
            break;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
        case WM_PRINTCLIENT:
            Paint(window, message, wParam, [form](HDC dc) { form->Form_Paint(dc); });
            return 0;
        case WM_CLOSE:
            if (!form->unloading_ && form->RaiseUnload(UnloadMode::FormControlMenu, true)) {
                form->unloading_ = true;
                DestroyWindow(window);
            }
            return 0;
        case WM_QUERYENDSESSION: {
            bool cancel = false;
            form->Form_QueryUnload(cancel, UnloadMode::AppWindows);
            return cancel ? FALSE : TRUE;
        }
        case WM_ENDSESSION:
            if (wParam && !form->unloading_) {
                form->unloading_ = true;
                bool cancel = false;
                form->Form_Unload(cancel);
                DestroyWindow(window);
            }
            return 0;
        case WM_DESTROY:
            RemovePropA(window, kTabNavigation);
            form->Destroyed();
            return 0;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunMessageLoop() {
    if (loadedForms == 0) return 0;
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        // Tab and the arrow keys move the focus between the controls of a
        // form that asked for it.
        const HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root != nullptr && GetPropA(root, kTabNavigation) != nullptr &&
            IsDialogMessageA(root, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

void EndProgram() {
    ExitProcess(0);
}

}  // namespace vorlune::forms
