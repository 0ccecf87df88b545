#include "linux/glx_render_window.hpp"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "frame/key_states.hpp"
#include "frame/viewport.hpp"
#include "linux/keys.hpp"
#include "linux/x11_errors.hpp"
#include "linux/x11_monitor_covers.hpp"

namespace vorlune {

namespace {

std::string hexId(unsigned long id) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", id);
    return text;
}

struct XFreeDeleter {
    void operator()(void* data) const { XFree(data); }
};

int configAttribute(Display* display, GLXFBConfig config, int attribute) {
    int value = 0;
    glXGetFBConfigAttrib(display, config, attribute, &value);
    return value;
}

// A double-buffered RGBA window config with at least 16 bits of colour and a
// 16-bit depth buffer. With a visual id, only a config of that visual will do
// (an adopted window's visual cannot change); without, the screen's default
// visual is preferred, then any true-colour visual.
GLXFBConfig chooseConfig(Display* display, int screen, VisualID requiredVisual, Window forWindow) {
    static const int kAttributes[] = {
        GLX_X_RENDERABLE,
        True,
        GLX_DRAWABLE_TYPE,
        GLX_WINDOW_BIT,
        GLX_RENDER_TYPE,
        GLX_RGBA_BIT,
        GLX_DOUBLEBUFFER,
        True,
        GLX_RED_SIZE,
        5,
        GLX_GREEN_SIZE,
        5,
        GLX_BLUE_SIZE,
        5,
        GLX_DEPTH_SIZE,
        16,
        None,
    };
    int count = 0;
    std::unique_ptr<GLXFBConfig, XFreeDeleter> configs(
        glXChooseFBConfig(display, screen, kAttributes, &count));
    if (!configs || count == 0) {
        throw X11Error(
            "glXChooseFBConfig found no double-buffered RGBA config with a 16-bit depth buffer "
            "on screen " +
            std::to_string(screen));
    }
    const VisualID defaultVisual = XVisualIDFromVisual(DefaultVisual(display, screen));
    GLXFBConfig fallback = nullptr;
    for (int i = 0; i < count; ++i) {
        GLXFBConfig config = configs.get()[i];
        const auto visual = static_cast<VisualID>(configAttribute(display, config, GLX_VISUAL_ID));
        if (visual == 0) continue;
        if (requiredVisual != 0) {
            if (visual == requiredVisual) return config;
            continue;
        }
        if (visual == defaultVisual) return config;
        if (fallback == nullptr &&
            configAttribute(display, config, GLX_X_VISUAL_TYPE) == GLX_TRUE_COLOR) {
            fallback = config;
        }
    }
    if (requiredVisual != 0) {
        throw X11Error(
            "glXChooseFBConfig found no double-buffered RGBA config with a 16-bit "
            "depth buffer for visual " +
            hexId(requiredVisual) + " of window " + hexId(forWindow));
    }
    if (fallback == nullptr) {
        throw X11Error("glXChooseFBConfig found no true-colour window config on screen " +
                       std::to_string(screen));
    }
    return fallback;
}

}  // namespace

GlxRenderWindow::GlxRenderWindow(Display* display, DrawTarget target, std::uint32_t windowId,
                                 const char* caption, int width, int height,
                                 const MonitorArea& monitor, Cursor cursor)
    : display_(display), target_(target) {
    try {
        int errorBase = 0;
        int eventBase = 0;
        if (!glXQueryExtension(display_, &errorBase, &eventBase)) {
            throw X11Error(std::string("glXQueryExtension failed: the X server ") +
                           DisplayString(display_) + " has no GLX extension");
        }
        switch (target_) {
            case DrawTarget::fullScreenSaver:
                createWindow(caption, width, height, &monitor);
                break;
            case DrawTarget::window:
                createWindow(caption, width, height, nullptr);
                break;
            case DrawTarget::rootWindow:
                adoptWindow(DefaultRootWindow(display_));
                break;
            case DrawTarget::givenWindow:
                adoptWindow(windowId);
                break;
            case DrawTarget::background:
                throw RefusedError("X11 has no background layer to draw on");
        }

        createContext();
        if (ownsWindow_) {
            XMapRaised(display_, window_);
            if (target_ == DrawTarget::fullScreenSaver) {
                X11ErrorTrap trap(display_);
                XDefineCursor(display_, window_, cursor);
                trap.throwIfFailed("XDefineCursor");
            }
        }
        resizeViewport(width_, height_);
    } catch (...) {
        release();
        throw;
    }
}

GlxRenderWindow::~GlxRenderWindow() {
    release();
}

void GlxRenderWindow::createContext() {
    {
        X11ErrorTrap trap(display_);
        context_ = glXCreateNewContext(display_, config_, GLX_RGBA_TYPE, nullptr, True);
        trap.throwIfFailed("glXCreateNewContext");
        if (context_ == nullptr) throw X11Error("glXCreateNewContext returned no context");
    }
    X11ErrorTrap trap(display_);
    const Bool current = glXMakeCurrent(display_, window_, context_);
    trap.throwIfFailed("glXMakeCurrent");
    if (!current) throw X11Error("glXMakeCurrent failed on window " + hexId(window_));
}

void GlxRenderWindow::adoptWindow(Window window) {
    XWindowAttributes attributes{};
    {
        X11ErrorTrap trap(display_);
        const Status status = XGetWindowAttributes(display_, window, &attributes);
        const std::string error = trap.check();
        if (status == 0 || !error.empty()) {
            throw BadWindowError("window " + hexId(window) +
                                 " does not exist (XGetWindowAttributes: " +
                                 (error.empty() ? std::string("failed") : error) + ")");
        }
    }
    if (attributes.c_class == InputOnly) {
        throw BadWindowError("window " + hexId(window) + " is input-only and cannot be drawn into");
    }
    window_ = window;
    quietX11ErrorsAbout(window_);
    width_ = attributes.width;
    height_ = attributes.height;
    mapped_ = attributes.map_state != IsUnmapped;
    config_ = chooseConfig(display_, XScreenNumberOfScreen(attributes.screen),
                           XVisualIDFromVisual(attributes.visual), window);

    // The window is someone else's: we only follow its size, and read its keys
    // unless it is the root, where they belong to every other program.
    long events = StructureNotifyMask;
    if (window != RootWindowOfScreen(attributes.screen)) events |= KeyPressMask | KeyReleaseMask;
    X11ErrorTrap trap(display_);
    XSelectInput(display_, window_, events);
    trap.throwIfFailed("XSelectInput");
}

void GlxRenderWindow::createWindow(const char* caption, int width, int height,
                                   const MonitorArea* fullScreen) {
    const int screen = DefaultScreen(display_);
    const Window root = RootWindow(display_, screen);
    config_ = chooseConfig(display_, screen, 0, None);
    std::unique_ptr<XVisualInfo, XFreeDeleter> visual(glXGetVisualFromFBConfig(display_, config_));
    if (!visual) throw X11Error("glXGetVisualFromFBConfig returned no visual");

    const int screenWidth = DisplayWidth(display_, screen);
    const int screenHeight = DisplayHeight(display_, screen);
    // Full screen is the window manager's full-screen state on a window the
    // size of one monitor (the others are covered); the display mode is never
    // touched.
    int x = 0;
    int y = 0;
    if (fullScreen != nullptr) {
        x = fullScreen->x;
        y = fullScreen->y;
        width = fullScreen->width;
        height = fullScreen->height;
    } else {
        x = screenWidth / 2 - width / 2;
        y = screenHeight / 2 - height / 2;
    }

    {
        X11ErrorTrap trap(display_);
        colormap_ = XCreateColormap(display_, root, visual->visual, AllocNone);
        trap.throwIfFailed("XCreateColormap");

        XSetWindowAttributes attributes{};
        attributes.colormap = colormap_;
        attributes.background_pixel = 0;
        attributes.border_pixel = 0;  // a visual other than the root's needs its own border
        attributes.event_mask = StructureNotifyMask | KeyPressMask | KeyReleaseMask;
        window_ = XCreateWindow(
            display_, root, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height), 0,
            visual->depth, InputOutput, visual->visual,
            CWColormap | CWBackPixel | CWBorderPixel | CWEventMask, &attributes);
        trap.throwIfFailed("XCreateWindow");
    }
    ownsWindow_ = true;
    width_ = width;
    height_ = height;
    describeWindow(caption, x, y, fullScreen != nullptr);
}

// What the window manager reads from a window of our own: its caption and
// class, the place it was made at, that it takes the keyboard, that closing
// it is a message to us, and whether it is to be full screen.
void GlxRenderWindow::describeWindow(const char* caption, int x, int y, bool fullScreen) {
    X11ErrorTrap trap(display_);
    XStoreName(display_, window_, caption);
    const Atom utf8String = XInternAtom(display_, "UTF8_STRING", False);
    XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False), utf8String, 8,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(caption),
                    static_cast<int>(std::strlen(caption)));

    char resName[] = "vorlune";
    char resClass[] = "Vorlune";
    XClassHint classHint{resName, resClass};
    XSetClassHint(display_, window_, &classHint);

    XSizeHints sizeHints{};
    sizeHints.flags = PPosition | PSize;
    sizeHints.x = x;
    sizeHints.y = y;
    sizeHints.width = width_;
    sizeHints.height = height_;
    XSetWMNormalHints(display_, window_, &sizeHints);

    XWMHints wmHints{};
    wmHints.flags = InputHint | StateHint;
    wmHints.input = True;
    wmHints.initial_state = NormalState;
    XSetWMHints(display_, window_, &wmHints);

    protocolsAtom_ = XInternAtom(display_, "WM_PROTOCOLS", False);
    deleteWindowAtom_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &deleteWindowAtom_, 1);

    if (fullScreen) {
        // Set before mapping, this asks the window manager to map it full screen.
        const Atom fullScreenState = XInternAtom(display_, "_NET_WM_STATE_FULLSCREEN", False);
        XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_STATE", False), XA_ATOM,
                        32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(&fullScreenState), 1);
    }
    trap.throwIfFailed("XChangeProperty");
}

void GlxRenderWindow::requestFullScreen() {
    // Some window managers read the state only from a mapped window's request,
    // not from the property it was mapped with; ask both ways.
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = window_;
    request.xclient.message_type = XInternAtom(display_, "_NET_WM_STATE", False);
    request.xclient.format = 32;
    request.xclient.data.l[0] = 1;  // _NET_WM_STATE_ADD
    request.xclient.data.l[1] =
        static_cast<long>(XInternAtom(display_, "_NET_WM_STATE_FULLSCREEN", False));
    request.xclient.data.l[3] = 1;  // from an application
    XSendEvent(display_, DefaultRootWindow(display_), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &request);
}

void GlxRenderWindow::release() {
    // A window destroyed under us makes some of these fail; there is nothing
    // left to do about that, so the errors are only collected.
    X11ErrorTrap trap(display_);
    if (context_ != nullptr) {
        glXMakeCurrent(display_, None, nullptr);
        glXDestroyContext(display_, context_);
        context_ = nullptr;
    }
    if (ownsWindow_ && window_ != None && !gone_) XDestroyWindow(display_, window_);
    window_ = None;
    ownsWindow_ = false;
    if (colormap_ != None) XFreeColormap(display_, colormap_);
    colormap_ = None;
}

void GlxRenderWindow::swapBuffers() {
    glXSwapBuffers(display_, window_);
}

bool GlxRenderWindow::drainEvents() {
    bool stop = false;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == KeyRelease && isAutoRepeatRelease(event)) continue;
        if (handleEvent(event)) stop = true;
    }
    return stop;
}

bool GlxRenderWindow::takeResized() {
    const bool resized = resized_;
    resized_ = false;
    return resized;
}

bool GlxRenderWindow::isAutoRepeatRelease(const XEvent& release) {
    // Unless the server does detectable auto-repeat, every repeat of a held key
    // is a release and a press with the same time stamp; the release is not real.
    if (XEventsQueued(display_, QueuedAfterReading) == 0) return false;
    XEvent next;
    XPeekEvent(display_, &next);
    return next.type == KeyPress && next.xkey.keycode == release.xkey.keycode &&
           next.xkey.time == release.xkey.time;
}

bool GlxRenderWindow::handleEvent(const XEvent& event) {
    switch (event.type) {
        case KeyPress:
        case KeyRelease: {
            XKeyEvent key = event.xkey;
            const std::uint8_t virtualKey = virtualKeyForKeysym(XLookupKeysym(&key, 0));
            if (virtualKey != 0) keyStates[virtualKey] = event.type == KeyPress ? 1 : 0;
            return false;
        }
        case ConfigureNotify: {
            const XConfigureEvent& configure = event.xconfigure;
            if (configure.window == window_ &&
                (configure.width != width_ || configure.height != height_)) {
                width_ = configure.width;
                height_ = configure.height;
                resizeViewport(width_, height_);
                resized_ = true;
            }
            return false;
        }
        case UnmapNotify:
            if (event.xunmap.window == window_) mapped_ = false;
            return false;
        case MapNotify:
            if (event.xmap.window == window_) mapped_ = true;
            if (ownsWindow_ && event.xmap.window == window_) {
                if (target_ == DrawTarget::fullScreenSaver) requestFullScreen();
                // Escape has to reach us; a full-screen window never gets a click.
                X11ErrorTrap trap(display_);
                XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
            }
            return false;
        case ClientMessage:
            return ownsWindow_ && event.xclient.message_type == protocolsAtom_ &&
                   event.xclient.format == 32 &&
                   static_cast<Atom>(event.xclient.data.l[0]) == deleteWindowAtom_;
        case DestroyNotify:
            if (event.xdestroywindow.window == window_) {
                gone_ = true;
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace vorlune
