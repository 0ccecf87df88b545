#include "linux/x11_monitor_covers.hpp"

#include <X11/extensions/Xrandr.h>

#include <memory>

#include "linux/x11_errors.hpp"

namespace vorlune {

namespace {

struct MonitorsDeleter {
    void operator()(XRRMonitorInfo* monitors) const { XRRFreeMonitors(monitors); }
};

// The active monitors of the default screen; none when the server has no
// RandR 1.5 to list them.
std::vector<MonitorArea> listMonitors(Display* display, bool primaryFirst) {
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase) ||
        !XRRQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 5)) {
        return {};
    }
    int count = 0;
    const std::unique_ptr<XRRMonitorInfo, MonitorsDeleter> monitors(
        XRRGetMonitors(display, DefaultRootWindow(display), True, &count));
    std::vector<MonitorArea> areas;
    for (int i = 0; monitors && i < count; ++i) {
        const XRRMonitorInfo& monitor = monitors.get()[i];
        const MonitorArea area{monitor.x, monitor.y, monitor.width, monitor.height};
        if (primaryFirst && monitor.primary) {
            areas.insert(areas.begin(), area);
        } else {
            areas.push_back(area);
        }
    }
    return areas;
}

bool contains(const MonitorArea& outer, const MonitorArea& inner) {
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

}  // namespace

MonitorArea sceneMonitor(Display* display) {
    const std::vector<MonitorArea> monitors = listMonitors(display, true);
    if (!monitors.empty()) return monitors.front();
    const int screen = DefaultScreen(display);
    return {0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};
}

X11BlankCursor::X11BlankCursor(Display* display) : display_(display) {
    static const char kEmpty[1] = {0};
    X11ErrorTrap trap(display_);
    const Pixmap empty = XCreateBitmapFromData(display_, DefaultRootWindow(display_), kEmpty, 1, 1);
    XColor black{};
    cursor_ = XCreatePixmapCursor(display_, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display_, empty);
    trap.throwIfFailed("XCreatePixmapCursor");
}

X11BlankCursor::~X11BlankCursor() {
    X11ErrorTrap trap(display_);
    if (cursor_ != None) XFreeCursor(display_, cursor_);
}

X11MonitorCovers::X11MonitorCovers(Display* display, const MonitorArea& scene, Cursor cursor)
    : display_(display) {
    const Window root = DefaultRootWindow(display_);
    X11ErrorTrap trap(display_);
    try {
        XSetWindowAttributes attributes{};
        // Not the window manager's to place, frame or focus.
        attributes.override_redirect = True;
        attributes.background_pixel = BlackPixel(display_, DefaultScreen(display_));
        attributes.cursor = cursor;
        for (const MonitorArea& monitor : listMonitors(display_, false)) {
            // A monitor that shows part of the scene's (a clone) needs no cover.
            if (contains(scene, monitor)) continue;
            const Window cover = XCreateWindow(
                display_, root, monitor.x, monitor.y, static_cast<unsigned>(monitor.width),
                static_cast<unsigned>(monitor.height), 0, CopyFromParent, InputOutput,
                CopyFromParent, CWOverrideRedirect | CWBackPixel | CWCursor, &attributes);
            covers_.push_back(cover);
            XMapRaised(display_, cover);
        }
        trap.throwIfFailed("XCreateWindow");
    } catch (...) {
        release();
        throw;
    }
}

X11MonitorCovers::~X11MonitorCovers() {
    release();
}

void X11MonitorCovers::release() {
    X11ErrorTrap trap(display_);
    for (const Window cover : covers_) XDestroyWindow(display_, cover);
    covers_.clear();
    // Gone from the screen now, not whenever the connection next flushes.
    trap.check();
}

}  // namespace vorlune
