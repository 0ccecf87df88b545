#include "linux/x11_front_end.hpp"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <poll.h>

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "frame/render_settings.hpp"
#include "linux/glx_render_window.hpp"
#include "linux/x11_errors.hpp"
#include "linux/x11_monitor_covers.hpp"

namespace vorlune {

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};

std::unique_ptr<Display, DisplayCloser> openDisplay() {
    const char* name = std::getenv("DISPLAY");
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        throw X11Error(name == nullptr || *name == '\0'
                           ? std::string("XOpenDisplay failed: DISPLAY is not set")
                           : std::string("XOpenDisplay failed: cannot open display \"") + name +
                                 "\"");
    }
    return std::unique_ptr<Display, DisplayCloser>(display);
}

class X11FrontEnd final : public FrontEnd {
  public:
    X11FrontEnd(std::unique_ptr<Display, DisplayCloser> display, const LinuxOptions& options,
                const char* caption)
        : display_(std::move(display)),
          monitor_(sceneMonitor(display_.get())),
          blankCursor_(display_.get()),
          window_(display_.get(), options.target, options.windowId, caption, screenWidth,
                  screenHeight, monitor_, blankCursor_.cursor()) {
        // Full screen leaves no other monitor showing the desktop. Given a
        // window, we draw only there: a screen-saver daemon covers each
        // monitor itself.
        if (options.target == DrawTarget::fullScreenSaver) {
            covers_.emplace(display_.get(), monitor_, blankCursor_.cursor());
        }
    }
    bool dispatch() override {
        if (window_.drainEvents()) closed_ = true;
        return window_.takeResized();
    }
    bool closed() const override { return closed_ || window_.gone(); }

    int drawFrames(const std::function<void()>& draw) override {
        if (!window_.mapped()) return 0;
        draw();
        window_.swapBuffers();
        ++frames_;
        return 1;
    }

    void wait(double seconds, std::span<const int> wakeFds) override {
        if (XPending(display_.get()) > 0) return;
        std::vector<pollfd> descriptors{{ConnectionNumber(display_.get()), POLLIN, 0}};
        for (const int fd : wakeFds) descriptors.push_back({fd, POLLIN, 0});
        const int timeout = seconds < 0.0 ? -1 : static_cast<int>(std::ceil(seconds * 1000.0));
        poll(descriptors.data(), descriptors.size(), timeout);
    }

    std::vector<SurfaceFrames> surfaces() const override {
        return {{"window", std::to_string(window_.width()) + "x" + std::to_string(window_.height()),
                 frames_}};
    }

  private:
    // Destroyed in reverse: the covers, the window and the cursor they show
    // before their connection.
    std::unique_ptr<Display, DisplayCloser> display_;
    MonitorArea monitor_;
    X11BlankCursor blankCursor_;
    GlxRenderWindow window_;
    std::optional<X11MonitorCovers> covers_;
    long frames_ = 0;
    bool closed_ = false;
};

}  // namespace

std::unique_ptr<FrontEnd> openX11FrontEnd(const LinuxOptions& options, const char* caption) {
    if (options.target == DrawTarget::background) {
        throw RefusedError(
            "-background needs a Wayland compositor with a layer shell; on X11, -root draws "
            "on the root window");
    }
    auto display = openDisplay();
    installX11ErrorHandlers();
    // Held keys then repeat as presses alone, with no releases in between.
    XkbSetDetectableAutoRepeat(display.get(), True, nullptr);
    return std::make_unique<X11FrontEnd>(std::move(display), options, caption);
}

}  // namespace vorlune
