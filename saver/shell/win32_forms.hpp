#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A small forms layer for the shell: hidden top-level forms known by their
// captions, load, query-unload and unload events, timers, image controls,
// twip-based positions, and the end of the program with its last form.
namespace vorlune::forms {

// Why a form is being unloaded.
enum class UnloadMode {
    FormControlMenu = 0,  // closed from outside (WM_CLOSE)
    FormCode = 1,         // Form::Unload
    AppWindows = 2,       // Windows is ending the session
    FormOwner = 5,        // the window was destroyed with its parent
};

// Registers a window class of this program, once; the failure is traced.
void RegisterWindowClass(const char* name, WNDPROC procedure);

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

class Form;

// A timer of a form. It ticks on the form's thread while the form is loaded,
// it is enabled and its interval is not 0.
class Timer {
  public:
    Timer(Form& form, std::uint32_t interval, bool enabled, std::function<void()> onTick);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t interval);

  private:
    friend class Form;
    void Arm();

    Form& form_;
    UINT_PTR id_;
    std::uint32_t interval_;
    bool enabled_;
    std::function<void()> onTick_;
};

// An image control: a child window that draws its picture at its natural
// size from its top-left corner and black elsewhere. Positions in pixels.
class Image {
  public:
    explicit Image(Form& form);
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    void SetPicture(HBITMAP picture);  // not owned
    void Move(int left, int top, int width, int height);
    HWND Window() const { return window_; }

  private:
    friend class Form;
    void Create(HWND parent);
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
    HBITMAP picture_ = nullptr;
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
    const std::string& Caption() const { return caption_; }

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

    // A message the form handles itself, before the layer: true when it did,
    // with the result to return. The layer still sees WM_CLOSE and WM_DESTROY.
    virtual bool Form_Message(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/,
                              LRESULT& /*result*/) {
        return false;
    }
    virtual void Form_Load() {}
    virtual void Form_QueryUnload(bool& /*cancel*/, UnloadMode /*mode*/) {}
    virtual void Form_Unload(bool& /*cancel*/) {}

  private:
    friend class Timer;
    friend class Image;

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
    std::vector<Image*> images_;
};

// Runs the message loop until the last loaded form has unloaded.
int RunMessageLoop();

// Ends the program at once: nothing after this runs.
[[noreturn]] void EndProgram();

}  // namespace vorlune::forms
