#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A small forms runtime: top-level forms known by their captions, with load,
// query-unload and unload events, timers, controls, twip-based positions,
// and the end of the program with its last form.
namespace vorlune::forms {

// Why a form is being unloaded.
enum class UnloadMode {
    FormControlMenu = 0,  // closed from outside (WM_CLOSE)
    FormCode = 1,         // Form::Unload
    AppWindows = 2,       // Windows is ending the session
    FormOwner = 5,        // the window was destroyed with its parent
};

// The program names the window classes of its forms and controls: each is
// this prefix followed by the kind of window ("Form", "Image", "Panel", and
// the kinds of the program's own controls). Set it before the first form
// loads; it is empty until then.
void SetClassPrefix(std::string prefix);
std::string ClassName(const char* kind);

// Registers a window class of this program, once; the failure is traced.
void RegisterWindowClass(const std::string& name, WNDPROC procedure);

// The object a window of ours was made for: handed over as the creation
// parameter, kept in the window's user data from WM_NCCREATE on.
template <class Owner>
Owner* OwnerOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    return reinterpret_cast<Owner*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Twips (1/1440 inch) per screen pixel, from the screen's dots per inch.
int TwipsPerPixelX();
int TwipsPerPixelY();
// Twips to the nearest pixel on this screen, and a place and size in twips to
// pixels.
int PixelsX(int twips);
int PixelsY(int twips);
RECT PixelRect(int left, int top, int width, int height);

class Form;

// A timer of a form or of a control. It ticks on the thread of the window it
// is attached to while it is enabled and its interval is not 0.
class Timer {
  public:
    // A timer of the form: attached while the form is loaded.
    Timer(Form& form, std::uint32_t interval, bool enabled, std::function<void()> onTick);
    // A timer of a control, which attaches it to its window and hands it
    // the window's WM_TIMER messages.
    Timer(std::uint32_t interval, bool enabled, std::function<void()> onTick);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // The window whose WM_TIMER carries the ticks; null stops the timer.
    void Attach(HWND window);
    // Runs one tick when a WM_TIMER's identifier is this timer's.
    void Tick(WPARAM id);

  private:
    void Arm();
    UINT_PTR Id() const { return reinterpret_cast<UINT_PTR>(this); }

    HWND window_ = nullptr;
    std::uint32_t interval_;
    bool enabled_;
    std::function<void()> onTick_;
};

// A control of a form: a child window made when the form loads, placed in
// pixels of the form's client area.
class Control {
  public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    void Move(int left, int top, int width, int height);
    HWND Window() const { return window_; }

  protected:
    explicit Control(Form& form);
    // Makes the window, of class "<prefix><kind>", at the control's place.
    void CreateWindowOf(HWND form, const char* kind, DWORD style, DWORD extendedStyle,
                        WNDPROC procedure);
    // The window's end, at WM_NCDESTROY.
    void Destroyed() { window_ = nullptr; }

  private:
    friend class Form;
    virtual void Create(HWND form) = 0;

    HWND window_ = nullptr;
    RECT place_{0, 0, 0, 0};
};

class Form {
  public:
    explicit Form(std::string caption);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Creates the form's window, hidden, with its controls and timers, then
    // raises Form_Load. Loading a loaded form does nothing.
    void Load();
    // Loads the form if needed and shows it, not modally.
    void Show();
    // Raises Form_QueryUnload (FormCode), then Form_Unload; unless either
    // cancels, the window goes. The last form to go ends the message loop.
    void Unload();

    bool Loaded() const { return window_ != nullptr; }
    HWND Window() const { return window_; }

    // Place and size in twips, in the parent's client area (the screen for a
    // top-level form).
    void Move(int left, int top, int width, int height);
    // A picture drawn at its natural size from the top-left corner over the
    // black background. Not owned.
    void SetPicture(HBITMAP picture);

  protected:
    // The window's styles, for forms that are not borderless pop-ups. Takes
    // effect at the next Load.
    void SetWindowStyle(DWORD style, DWORD extendedStyle);
    // Tab moves the focus through the loaded form's controls that are tab
    // stops, into children marked WS_EX_CONTROLPARENT.
    void EnableTabNavigation();

    // A message the form handles itself, before the runtime: true when it
    // did, with the result to return. The runtime still sees WM_CLOSE and
    // WM_DESTROY.
    virtual bool Form_Message(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                              LRESULT& /*result*/) {
        return false;
    }
    virtual void Form_Load() {}
    // The loaded form's client area changed its size.
    virtual void Form_Resize() {}
    // Draws the whole client area. By default black, with the picture.
    virtual void Form_Paint(HDC dc);
    virtual void Form_QueryUnload(bool& /*cancel*/, UnloadMode /*mode*/) {}
    virtual void Form_Unload(bool& /*cancel*/) {}

  private:
    friend class Timer;
    friend class Control;

    // Raises the two unload events; true when the unload goes ahead.
    bool RaiseUnload(UnloadMode mode, bool mayCancel);
    void Destroyed();
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::string caption_;
    DWORD style_ = WS_POPUP | WS_CLIPCHILDREN;
    DWORD extendedStyle_ = 0;
    HWND window_ = nullptr;
    HBITMAP picture_ = nullptr;
    bool unloading_ = false;
    std::vector<Timer*> timers_;
    std::vector<Control*> controls_;
};

// Runs the message loop until the last loaded form has unloaded.
int RunMessageLoop();

// Ends the program at once: nothing after this runs.
[[noreturn]] void EndProgram();

}  // namespace vorlune::forms
