#include "frame/win32_render_window.hpp"

#include <atomic>

#include "frame/display_mode.hpp"
#include "frame/key_states.hpp"
#include "frame/viewport.hpp"
#include "frame/win32_error.hpp"
#include "gl/gl_headers.hpp"

namespace vorlune {

namespace {

constexpr const char* kClassName = "GLWindow";

// Throws the user's message with the failed call and GetLastError's text.
// Each checked call is preceded by SetLastError(0), so that a call which fails
// without setting a code is not blamed on an older one.
[[noreturn]] void fail(const char* message, const char* call) {
    const DWORD code = GetLastError();
    throw RenderWindowError(message, describeSystemError(call, code));
}

void setKeyState(WPARAM virtualKey, std::uint8_t down) {
    // Codes past the table (none are defined, but a message can carry any
    // number) have no entry: they are dropped rather than written out of bounds.
    const auto code = static_cast<std::size_t>(LOWORD(virtualKey));
    if (code < keyStates.size()) keyStates[code] = down;
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            resizeViewport(LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_CLOSE:
            // Default processing then destroys the window; the loop ends on
            // the quit message after finishing its current frame.
            PostMessageA(window, WM_QUIT, 0, 0);
            break;
        case WM_KEYDOWN:
            setKeyState(wParam, 1);
            break;
        case WM_KEYUP:
            setKeyState(wParam, 0);
            break;
        case WM_DISPLAYCHANGE:
            // Monitors added, removed or moved: the covers follow.
            if (auto* covers =
                    reinterpret_cast<MonitorCovers*>(GetWindowLongPtrA(window, GWLP_USERDATA))) {
                covers->layOut();
            }
            break;
        case WM_SYSCOMMAND:
            // While we run, neither the system's own screen saver nor a
            // monitor power-down may take over.
            if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) return 0;
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void registerWindowClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    SetLastError(0);
    if (RegisterClassA(&windowClass) == 0) fail("Register window class failed", "RegisterClassA");
}

// The display's modes as Windows offers them; a change lasts for this run only.
class Win32DisplayModes final : public DisplayModes {
  public:
    int currentBitsPerPixel() override {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
        return static_cast<int>(mode.dmBitsPerPel);
    }

    bool change(const DisplayMode& wanted) override {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmBitsPerPel = static_cast<DWORD>(wanted.bitsPerPixel);
        mode.dmPelsWidth = static_cast<DWORD>(wanted.width);
        mode.dmPelsHeight = static_cast<DWORD>(wanted.height);
        return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
    }
};

// Switches the display to the mode for this run; false when every mode tried
// is refused, which is not an error: we run in a window instead.
bool enterDisplayMode(int width, int height, int colourBits) {
    Win32DisplayModes display;
    return enterFullScreenMode(display, {width, height, colourBits}).has_value();
}

// A borderless window over the whole display, or a normal one centred on the
// screen whose outer size, borders and caption included, is the requested size.
HWND createWindow(HINSTANCE instance, const char* caption, int width, int height, bool fullScreen) {
    DWORD style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    DWORD extendedStyle = WS_EX_APPWINDOW;
    int x = 0;
    int y = 0;
    if (fullScreen) {
        style |= WS_POPUP;
    } else {
        style |= WS_OVERLAPPEDWINDOW;
        extendedStyle |= WS_EX_CLIENTEDGE;
        x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
        y = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    }
    SetLastError(0);
    const HWND window = CreateWindowExA(extendedStyle, kClassName, caption, style, x, y, width,
                                        height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) fail("Create window failed", "CreateWindowExA");
    return window;
}

// A double-buffered RGBA format with a 16-bit depth buffer, drawn by OpenGL.
void setPixelFormat(HDC deviceContext, int colourBits) {
    PIXELFORMATDESCRIPTOR format{};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = static_cast<BYTE>(colourBits);
    format.cDepthBits = 16;
    format.iLayerType = PFD_MAIN_PLANE;
    SetLastError(0);
    const int formatIndex = ChoosePixelFormat(deviceContext, &format);
    if (formatIndex == 0) fail("No suitable pixel format found", "ChoosePixelFormat");
    SetLastError(0);
    if (!SetPixelFormat(deviceContext, formatIndex, &format)) {
        fail("Set pixelformat failed", "SetPixelFormat");
    }
}

// An OpenGL context on the device context, made current on this thread.
HGLRC createContext(HDC deviceContext) {
    SetLastError(0);
    const HGLRC context = wglCreateContext(deviceContext);
    if (context == nullptr) fail("Create GL Context failed", "wglCreateContext");
    SetLastError(0);
    if (!wglMakeCurrent(deviceContext, context)) fail("Select Contexts failed", "wglMakeCurrent");
    return context;
}

// The render window there is now: the one whose display a crash gives back.
std::atomic<RenderWindow*> current = nullptr;

}  // namespace

RenderWindow::RenderWindow(const char* caption, int width, int height, int colourBits,
                           bool fullScreen) {
    current = this;
    try {
        create(caption, width, height, colourBits, fullScreen);
    } catch (...) {
        // The user reads the message on the desktop as it was.
        restoreDisplayOfCurrent();
        throw;
    }
}

void RenderWindow::create(const char* caption, int width, int height, int colourBits,
                          bool fullScreen) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    registerWindowClass(instance);
    if (fullScreen) fullScreen = enterDisplayMode(width, height, colourBits);
    window = createWindow(instance, caption, width, height, fullScreen);

    SetLastError(0);
    deviceContext = GetDC(window);
    if (deviceContext == nullptr) fail("Create DC failed", "GetDC");
    setPixelFormat(deviceContext, colourBits);
    renderContext = createContext(deviceContext);

    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    // The requested size even when windowed; the client area takes over from
    // the next WM_SIZE on.
    resizeViewport(width, height);
    if (fullScreen) {
        ShowCursor(FALSE);
        // Once the window shows, laid out from the monitors as the mode
        // change has left them.
        covers_ = std::make_unique<MonitorCovers>(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(covers_.get()));
    }
}

RenderWindow::~RenderWindow() {
    restoreDisplayOfCurrent();
    covers_.reset();
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(renderContext);
    ReleaseDC(window, deviceContext);
    // WM_CLOSE may have destroyed the window already; this then fails harmlessly.
    DestroyWindow(window);
    UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
}

void RenderWindow::restoreDisplayOfCurrent() {
    // Whoever comes first, the end of the run or a crash, does it.
    if (RenderWindow* const shown = current.exchange(nullptr)) shown->restoreDisplay();
}

void RenderWindow::restoreDisplay() {
    // The covers go first: the monitors they cover are about to move.
    if (covers_) {
        if (IsWindow(window)) SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        covers_->remove();
    }
    // Unconditional: after a windowed run both calls are harmless.
    ShowCursor(TRUE);
    ChangeDisplaySettingsA(nullptr, 0);
}

void RenderWindow::swapBuffers() {
    SwapBuffers(deviceContext);
}

}  // namespace vorlune
