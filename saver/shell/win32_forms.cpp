#include "shell/win32_forms.hpp"

#include <utility>

#include "shell/win32_failure.hpp"

namespace vorlune::forms {

namespace {

constexpr char kFormClass[] = "VorluneForm";
constexpr char kImageClass[] = "VorluneImage";
// A window property: the form's controls take Tab from the message loop.
constexpr char kTabNavigation[] = "VorluneTabNavigation";

int loadedForms = 0;

int TwipsPerPixel(int axis) {
    const HDC screen = GetDC(nullptr);
    const int dotsPerInch = screen != nullptr ? GetDeviceCaps(screen, axis) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    if (dotsPerInch <= 0) return 15;
    return (1440 + dotsPerInch / 2) / dotsPerInch;
}

// Black, with the picture at its natural size in the top-left corner.
void DrawPicture(HWND window, HDC dc, HBITMAP picture) {
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    BITMAP size{};
    if (picture != nullptr && GetObjectA(picture, sizeof(size), &size) != 0) {
        const HDC source = CreateCompatibleDC(dc);
        const HGDIOBJ previous = SelectObject(source, picture);
        BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, previous);
        DeleteDC(source);
    }
}

// WM_PAINT, and WM_PRINTCLIENT for whoever wants the picture in a DC of theirs.
void HandlePaint(HWND window, UINT message, WPARAM wParam, HBITMAP picture) {
    if (message == WM_PRINTCLIENT) {
        DrawPicture(window, reinterpret_cast<HDC>(wParam), picture);
        return;
    }
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(window, &paint);
    if (dc != nullptr) {
        DrawPicture(window, dc, picture);
        EndPaint(window, &paint);
    }
}

}  // namespace

void RegisterWindowClass(const char* name, WNDPROC procedure) {
    WNDCLASSA existing{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &existing)) return;
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.lpszClassName = name;
    if (!RegisterClassA(&windowClass)) vorlune::saver::ReportFailure("RegisterClassA");
}

int TwipsPerPixelX() {
    return TwipsPerPixel(LOGPIXELSX);
}
int TwipsPerPixelY() {
    return TwipsPerPixel(LOGPIXELSY);
}

Timer::Timer(Form& form, std::uint32_t interval, bool enabled, std::function<void()> onTick)
    : form_(form), interval_(interval), enabled_(enabled), onTick_(std::move(onTick)) {
    form_.timers_.push_back(this);
    id_ = form_.timers_.size();
}

void Timer::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Arm();
}

void Timer::SetInterval(std::uint32_t interval) {
    interval_ = interval;
    Arm();
}

void Timer::Arm() {
    if (!form_.Loaded()) return;
    if (enabled_ && interval_ > 0) {
        if (SetTimer(form_.Window(), id_, interval_, nullptr) == 0) {
            vorlune::saver::ReportFailure("SetTimer");
        }
    } else {
        KillTimer(form_.Window(), id_);
    }
}

Image::Image(Form& form) {
    form.images_.push_back(this);
}

void Image::SetPicture(HBITMAP picture) {
    picture_ = picture;
    if (window_ != nullptr) InvalidateRect(window_, nullptr, TRUE);
}

void Image::Move(int left, int top, int width, int height) {
    place_ = {left, top, left + width, top + height};
    if (window_ != nullptr && !MoveWindow(window_, left, top, width, height, TRUE)) {
        vorlune::saver::ReportFailure("MoveWindow");
    }
}

void Image::Create(HWND parent) {
    RegisterWindowClass(kImageClass, Procedure);
    window_ = CreateWindowExA(0, kImageClass, "", WS_CHILD | WS_VISIBLE, place_.left, place_.top,
                              place_.right - place_.left, place_.bottom - place_.top, parent,
                              nullptr, GetModuleHandleA(nullptr), this);
    if (window_ == nullptr) vorlune::saver::ReportFailure("CreateWindowExA (image)");
}

LRESULT CALLBACK Image::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* image = OwnerOf<Image>(window, message, lParam);
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
        case WM_PRINTCLIENT:
            HandlePaint(window, message, wParam, image != nullptr ? image->picture_ : nullptr);
            return 0;
        case WM_NCDESTROY:
            if (image != nullptr) image->window_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
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
    RegisterWindowClass(kFormClass, Procedure);
    // A top-level window (borderless unless the form says otherwise), hidden
    // until shown.
    window_ = CreateWindowExA(extendedStyle_, kFormClass, caption_.c_str(), style_ & ~WS_VISIBLE, 0,
                              0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), this);
    if (window_ == nullptr) {
        vorlune::saver::ReportFailure("CreateWindowExA (form)");
        return;
    }
    ++loadedForms;
    unloading_ = false;
    for (Image* image : images_) image->Create(window_);
    for (Timer* timer : timers_) timer->Arm();
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
        vorlune::saver::ReportFailure("MoveWindow");
    }
}

void Form::EnableTabNavigation() {
    if (Loaded() && !SetPropA(window_, kTabNavigation, window_))
        vorlune::saver::ReportFailure("SetPropA");
}

void Form::SetWindowStyle(DWORD style, DWORD extendedStyle) {
    style_ = style;
    extendedStyle_ = extendedStyle;
}

void Form::SetPicture(HBITMAP picture) {
    picture_ = picture;
    if (Loaded()) InvalidateRect(window_, nullptr, TRUE);
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
    for (Timer* timer : timers_) KillTimer(window_, timer->id_);
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
            for (Timer* timer : form->timers_) {
                if (timer->id_ == wParam && timer->enabled_ && timer->onTick_) timer->onTick_();
            }
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
        case WM_PRINTCLIENT:
            HandlePaint(window, message, wParam, form->picture_);
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
