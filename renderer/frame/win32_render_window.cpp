#include "frame/win32_render_window.hpp"

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

}  // namespace

RenderWindow::RenderWindow(const char* caption, int width, int height, int colourBits,
                           bool fullScreen) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);

    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, IDI_WINLOGO);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kClassName;
    SetLastError(0);
    if (RegisterClassA(&windowClass) == 0) fail("Register window class failed", "RegisterClassA");

    if (fullScreen) {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmBitsPerPel = static_cast<DWORD>(colourBits);
        mode.dmPelsWidth = static_cast<DWORD>(width);
        mode.dmPelsHeight = static_cast<DWORD>(height);
        // A refused mode is not an error: we run in a window instead.
        if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
            fullScreen = false;
        }
    }

    DWORD style = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    DWORD extendedStyle = WS_EX_APPWINDOW;
    int x = 0;
    int y = 0;
    if (fullScreen) {
        style |= WS_POPUP;
    } else {
        style |= WS_OVERLAPPEDWINDOW;
        extendedStyle |= WS_EX_CLIENTEDGE;
        // Centred; the outer size is the requested size, borders and caption included.
        x = GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2;
        y = GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2;
    }

    SetLastError(0);
    window = CreateWindowExA(extendedStyle, kClassName, caption, style, x, y, width, height,
                             nullptr, nullptr, instance, nullptr);
    if (window == nullptr) fail("Create window failed", "CreateWindowExA");

    SetLastError(0);
    deviceContext = GetDC(window);
    if (deviceContext == nullptr) fail("Create DC failed", "GetDC");

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

    SetLastError(0);
    renderContext = wglCreateContext(deviceContext);
    if (renderContext == nullptr) fail("Create GL Context failed", "wglCreateContext");
    SetLastError(0);
    if (!wglMakeCurrent(deviceContext, renderContext)) {
        fail("Select Contexts failed", "wglMakeCurrent");
    }

    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(window);
    // The requested size even when windowed; the client area takes over from
    // the next WM_SIZE on.
    resizeViewport(width, height);

    if (fullScreen) ShowCursor(FALSE);
}

RenderWindow::~RenderWindow() {
    // Unconditional: after a windowed run both calls are harmless.
    ShowCursor(TRUE);
    ChangeDisplaySettingsA(nullptr, 0);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(renderContext);
    ReleaseDC(window, deviceContext);
    // WM_CLOSE may have destroyed the window already; this then fails harmlessly.
    DestroyWindow(window);
    UnregisterClassA(kClassName, GetModuleHandleA(nullptr));
}

void RenderWindow::swapBuffers() {
    SwapBuffers(deviceContext);
}

}  // namespace vorlune
