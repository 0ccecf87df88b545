#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

#include <cstdint>
#include <stdexcept>

#include "linux/options.hpp"
#include "linux/x11_monitor_covers.hpp"

namespace vorlune {

// The window we were told to draw into does not exist or cannot be drawn into.
class BadWindowError : public RefusedError {
  public:
    using RefusedError::RefusedError;
};

// The X window the renderer draws into and the GLX context current on it: a
// window of its own (full screen or a normal window), the root window, or a
// window another program made and owns.
class GlxRenderWindow {
  public:
    // Makes or adopts the window for the target and makes a double-buffered
    // RGBA context with a depth buffer current on it. A window of our own is
    // captioned `caption`; a normal one is width x height, a full-screen one
    // covers `monitor`, where `cursor` hides the pointer. Adopted windows are drawn
    // at their own size. Throws X11Error, or BadWindowError for a given
    // window that is not there.
    GlxRenderWindow(Display* display, DrawTarget target, std::uint32_t windowId,
                    const char* caption, int width, int height, const MonitorArea& monitor,
                    Cursor cursor);
    GlxRenderWindow(const GlxRenderWindow&) = delete;
    GlxRenderWindow& operator=(const GlxRenderWindow&) = delete;
    ~GlxRenderWindow();

    int width() const { return width_; }
    int height() const { return height_; }
    // True once the window has been destroyed by someone else.
    bool gone() const { return gone_; }
    // True while the window is mapped. An unmapped window shows nothing, and
    // one destroyed under us is unmapped first: drawing into it then has GL
    // size its buffers from a window that is no longer there.
    bool mapped() const { return mapped_; }

    // Handles every event already queued: key presses into keyStates, size
    // changes into the viewport. True when one of them asks the renderer to
    // stop (the window closed or destroyed).
    bool drainEvents();
    // True once after the window's size changed.
    bool takeResized();

    void swapBuffers();

  private:
    void adoptWindow(Window window);
    void createWindow(const char* caption, int width, int height, const MonitorArea* fullScreen);
    void describeWindow(const char* caption, int x, int y, bool fullScreen);
    void createContext();
    void requestFullScreen();
    void release();
    bool handleEvent(const XEvent& event);
    bool isAutoRepeatRelease(const XEvent& release);

    Display* display_;
    DrawTarget target_;
    Window window_ = None;
    bool ownsWindow_ = false;
    Colormap colormap_ = None;
    GLXFBConfig config_ = nullptr;
    GLXContext context_ = nullptr;
    Atom protocolsAtom_ = None;
    Atom deleteWindowAtom_ = None;
    int width_ = 0;
    int height_ = 0;
    bool gone_ = false;
    bool mapped_ = false;
    bool resized_ = false;
};

}  // namespace vorlune
