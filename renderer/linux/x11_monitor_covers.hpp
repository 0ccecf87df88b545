#pragma once

#include <X11/Xlib.h>

#include <vector>

namespace vorlune {

struct MonitorArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where a full-screen run draws: the primary monitor as RandR lists it (the
// first when none is primary), or the whole screen when the server lists none.
MonitorArea sceneMonitor(Display* display);

// An invisible pointer, for the scene's window and the covers alike.
class X11BlankCursor {
  public:
    // Throws X11Error naming the failed call.
    explicit X11BlankCursor(Display* display);
    ~X11BlankCursor();
    X11BlankCursor(const X11BlankCursor&) = delete;
    X11BlankCursor& operator=(const X11BlankCursor&) = delete;

    Cursor cursor() const { return cursor_; }

  private:
    Display* display_;
    Cursor cursor_ = None;
};

// Black override-redirect windows over every monitor of the default screen
// that the scene's monitor does not show, with `cursor` over them, for as
// long as they live. They never take the keyboard: it stays with the
// scene's window. Throws X11Error naming the failed call.
class X11MonitorCovers {
  public:
    X11MonitorCovers(Display* display, const MonitorArea& scene, Cursor cursor);
    ~X11MonitorCovers();
    X11MonitorCovers(const X11MonitorCovers&) = delete;
    X11MonitorCovers& operator=(const X11MonitorCovers&) = delete;

  private:
    void release();

    Display* display_;
    std::vector<Window> covers_;
};

}  // namespace vorlune
