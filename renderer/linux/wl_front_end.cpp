#include "linux/wl_front_end.hpp"

#include <libdecor.h>
#include <poll.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "frame/render_settings.hpp"
#include "linux/egl_context.hpp"
#include "linux/wl_globals.hpp"
#include "linux/wl_input.hpp"
#include "linux/wl_output.hpp"
#include "linux/wl_outputs.hpp"
#include "linux/wl_surface.hpp"

namespace vorlune {

namespace {

const xdg_wm_base_listener kWmBaseListener = {
    [](void*, xdg_wm_base* base, std::uint32_t serial) { xdg_wm_base_pong(base, serial); },
};

struct XkbContextDeleter {
    void operator()(xkb_context* context) const { xkb_context_unref(context); }
};

template <typename Proxy>
Proxy* bind(wl_registry* registry, std::uint32_t name, const wl_interface& interface,
            std::uint32_t offered, std::uint32_t wanted) {
    return static_cast<Proxy*>(
        wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

class WaylandFrontEnd final : public FrontEnd {
  public:
    WaylandFrontEnd(const LinuxOptions& options, const char* caption);
    ~WaylandFrontEnd() override;
    WaylandFrontEnd(const WaylandFrontEnd&) = delete;
    WaylandFrontEnd& operator=(const WaylandFrontEnd&) = delete;

    bool dispatch() override;
    bool closed() const override { return closed_; }
    int drawFrames(const std::function<void()>& draw) override;
    void wait(double seconds, std::span<const int> wakeFds) override;
    std::vector<SurfaceFrames> surfaces() const override;

  private:
    static const wl_registry_listener kRegistryListener;
    static libdecor_interface kDecorationsListener;

    void release();
    void global(std::uint32_t name, const char* interface, std::uint32_t version);
    void globalRemove(std::uint32_t name);
    std::string where() const { return "the Wayland display \"" + name_ + "\""; }
    [[noreturn]] void connectionFailed() const;
    void dispatchPending();
    void readEvents(int timeoutMs, std::span<const int> wakeFds);
    void roundtrip();
    void coverOutputs();
    void dropClosedSurfaces();
    void retire(const SceneSurface& surface);
    template <typename Visit>
    void forEachSurface(Visit visit) {
        outputs_.forEachSurface(visit);
        if (window_) visit(*window_);
    }

    const char* caption_;
    std::string name_;
    SurfaceRole role_ = SurfaceRole::overlay;
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    WlGlobals globals_;
    std::unique_ptr<xkb_context, XkbContextDeleter> keymaps_;
    std::vector<std::unique_ptr<WlSeat>> seats_;
    std::unique_ptr<EglContext> egl_;
    OutputRoster<WlOutput, SceneSurface> outputs_;
    std::unique_ptr<SceneSurface> window_;
    // What the surfaces that are gone showed, and why the last to fail did.
    std::vector<SurfaceFrames> retired_;
    std::string failure_;
    std::string decorationsFailure_;
    bool closed_ = false;
};

const wl_registry_listener WaylandFrontEnd::kRegistryListener = {
    [](void* data, wl_registry*, std::uint32_t name, const char* interface, std::uint32_t version) {
        static_cast<WaylandFrontEnd*>(data)->global(name, interface, version);
    },
    [](void* data, wl_registry*, std::uint32_t name) {
        static_cast<WaylandFrontEnd*>(data)->globalRemove(name);
    },
};

// libdecor's errors come with no object of ours to hang on; there is one
// front end, and the next dispatch ends the run with the message.
WaylandFrontEnd* decoratedFrontEnd = nullptr;

libdecor_interface WaylandFrontEnd::kDecorationsListener = {
    [](libdecor*, libdecor_error, const char* message) {
        if (decoratedFrontEnd != nullptr) {
            decoratedFrontEnd->decorationsFailure_ = std::string("libdecor: ") + message;
        }
    },
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

WaylandFrontEnd::WaylandFrontEnd(const LinuxOptions& options, const char* caption)
    : caption_(caption) {
    decoratedFrontEnd = this;
    const char* name = std::getenv("WAYLAND_DISPLAY");
    name_ = name != nullptr && *name != '\0' ? name : "wayland-0";
    display_ = wl_display_connect(nullptr);
    if (display_ == nullptr) {
        const int error = errno;
        std::string folder;
        if (name_.front() != '/') {
            const char* runtime = std::getenv("XDG_RUNTIME_DIR");
            folder =
                std::string(" in XDG_RUNTIME_DIR \"") + (runtime != nullptr ? runtime : "") + "\"";
        }
        throw WaylandError("wl_display_connect failed for " + where() + folder + ": " +
                           std::strerror(error));
    }
    try {
        keymaps_.reset(xkb_context_new(XKB_CONTEXT_NO_FLAGS));
        if (!keymaps_) throw WaylandError("xkb_context_new failed");
        registry_ = wl_display_get_registry(display_);
        wl_registry_add_listener(registry_, &kRegistryListener, this);
        roundtrip();
        if (globals_.compositor == nullptr) {
            throw WaylandError("the compositor on " + where() + " offers no wl_compositor");
        }
        switch (options.target) {
            case DrawTarget::background:
                if (globals_.layerShell == nullptr) {
                    throw RefusedError(
                        "-background needs a compositor with a layer shell "
                        "(zwlr_layer_shell_v1), and the one on " +
                        where() + " has none");
                }
                role_ = SurfaceRole::background;
                break;
            case DrawTarget::window:
                role_ = SurfaceRole::window;
                if (globals_.decorationManager == nullptr) {
                    globals_.decorations = libdecor_new(display_, &kDecorationsListener);
                    if (globals_.decorations == nullptr) throw WaylandError("libdecor_new failed");
                }
                break;
            default:
                role_ =
                    globals_.layerShell != nullptr ? SurfaceRole::overlay : SurfaceRole::fullscreen;
                break;
        }
        if (role_ != SurfaceRole::overlay && role_ != SurfaceRole::background &&
            globals_.wmBase == nullptr) {
            throw WaylandError("the compositor on " + where() +
                               " offers neither zwlr_layer_shell_v1 nor xdg_wm_base");
        }
        egl_ = std::make_unique<EglContext>(display_);
        if (role_ == SurfaceRole::window) {
            window_ = std::make_unique<SceneSurface>(globals_, *egl_, role_, nullptr, caption_,
                                                     screenWidth, screenHeight);
        }
    } catch (...) {
        release();
        decoratedFrontEnd = nullptr;
        throw;
    }
}

WaylandFrontEnd::~WaylandFrontEnd() {
    release();
    decoratedFrontEnd = nullptr;
}

void WaylandFrontEnd::release() {
    if (display_ == nullptr) return;
    // Each object before what it was made from, the connection last.
    window_.reset();
    if (globals_.decorations != nullptr) libdecor_unref(globals_.decorations);
    outputs_.clear();
    seats_.clear();
    egl_.reset();
    if (globals_.fractionalScale != nullptr) {
        wp_fractional_scale_manager_v1_destroy(globals_.fractionalScale);
    }
    if (globals_.viewporter != nullptr) wp_viewporter_destroy(globals_.viewporter);
    if (globals_.decorationManager != nullptr) {
        zxdg_decoration_manager_v1_destroy(globals_.decorationManager);
    }
    if (globals_.wmBase != nullptr) xdg_wm_base_destroy(globals_.wmBase);
    if (globals_.layerShell != nullptr) {
        if (zwlr_layer_shell_v1_get_version(globals_.layerShell) >=
            ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION) {
            zwlr_layer_shell_v1_destroy(globals_.layerShell);
        } else {
            wl_proxy_destroy(reinterpret_cast<wl_proxy*>(globals_.layerShell));
        }
    }
    if (globals_.compositor != nullptr) wl_compositor_destroy(globals_.compositor);
    globals_ = WlGlobals{};
    if (registry_ != nullptr) wl_registry_destroy(registry_);
    registry_ = nullptr;
    keymaps_.reset();
    wl_display_disconnect(display_);
    display_ = nullptr;
}

void WaylandFrontEnd::global(std::uint32_t name, const char* interface, std::uint32_t version) {
    const std::string_view kind = interface;
    if (kind == wl_compositor_interface.name) {
        globals_.compositor =
            bind<wl_compositor>(registry_, name, wl_compositor_interface, version, 4);
    } else if (kind == zwlr_layer_shell_v1_interface.name) {
        globals_.layerShell =
            bind<zwlr_layer_shell_v1>(registry_, name, zwlr_layer_shell_v1_interface, version, 4);
    } else if (kind == xdg_wm_base_interface.name) {
        globals_.wmBase = bind<xdg_wm_base>(registry_, name, xdg_wm_base_interface, version, 3);
        xdg_wm_base_add_listener(globals_.wmBase, &kWmBaseListener, nullptr);
    } else if (kind == wp_viewporter_interface.name) {
        globals_.viewporter =
            bind<wp_viewporter>(registry_, name, wp_viewporter_interface, version, 1);
    } else if (kind == wp_fractional_scale_manager_v1_interface.name) {
        globals_.fractionalScale = bind<wp_fractional_scale_manager_v1>(
            registry_, name, wp_fractional_scale_manager_v1_interface, version, 1);
    } else if (kind == zxdg_decoration_manager_v1_interface.name) {
        globals_.decorationManager = bind<zxdg_decoration_manager_v1>(
            registry_, name, zxdg_decoration_manager_v1_interface, version, 1);
    } else if (kind == wl_output_interface.name) {
        auto* proxy = bind<wl_output>(registry_, name, wl_output_interface, version, 4);
        outputs_.add(name, std::make_unique<WlOutput>(proxy));
    } else if (kind == wl_seat_interface.name) {
        auto* seat = bind<wl_seat>(registry_, name, wl_seat_interface, version, 5);
        seats_.push_back(std::make_unique<WlSeat>(seat, name, keymaps_.get()));
    }
}

void WaylandFrontEnd::globalRemove(std::uint32_t name) {
    if (WlOutput* output = outputs_.output(name)) {
        forEachSurface([output](SceneSurface& surface) { surface.forgetOutput(output->proxy); });
        if (const SceneSurface* surface = outputs_.surface(name)) retire(*surface);
        outputs_.remove(name);
        return;
    }
    std::erase_if(seats_, [name](const auto& seat) { return seat->globalName() == name; });
}

void WaylandFrontEnd::connectionFailed() const {
    const int error = wl_display_get_error(display_);
    if (error == EPROTO) {
        const wl_interface* interface = nullptr;
        std::uint32_t id = 0;
        const std::uint32_t code = wl_display_get_protocol_error(display_, &interface, &id);
        throw WaylandError("the compositor on " + where() + " ended the connection: error " +
                           std::to_string(code) + " on " +
                           (interface != nullptr ? interface->name : "an object") + "@" +
                           std::to_string(id));
    }
    throw WaylandError("lost the connection to " + where() + ": " +
                       std::strerror(error != 0 ? error : errno));
}

void WaylandFrontEnd::dispatchPending() {
    if (wl_display_dispatch_pending(display_) < 0) connectionFailed();
}

void WaylandFrontEnd::roundtrip() {
    if (wl_display_roundtrip(display_) < 0) connectionFailed();
}

// Reads what the compositor has sent, waiting up to the timeout (-1: for as
// long as it takes) for something to come, or for wakeFds. Events already
// read (EGL reads the connection too) are left to be dispatched.
void WaylandFrontEnd::readEvents(int timeoutMs, std::span<const int> wakeFds) {
    if (wl_display_prepare_read(display_) != 0) return;
    short events = POLLIN;
    if (wl_display_flush(display_) < 0) {
        if (errno != EAGAIN) {
            wl_display_cancel_read(display_);
            connectionFailed();
        }
        // The rest goes out once the socket takes it.
        events |= POLLOUT;
    }
    std::vector<pollfd> descriptors{{wl_display_get_fd(display_), events, 0}};
    for (const int fd : wakeFds) descriptors.push_back({fd, POLLIN, 0});
    const int ready = poll(descriptors.data(), descriptors.size(), timeoutMs);
    if (ready > 0 && (descriptors[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
        if (wl_display_read_events(display_) < 0) connectionFailed();
    } else {
        wl_display_cancel_read(display_);
    }
}

void WaylandFrontEnd::retire(const SceneSurface& surface) {
    retired_.push_back({surface.name(), surface.size(), surface.frames()});
}

void WaylandFrontEnd::dropClosedSurfaces() {
    outputs_.dropClosed([this](const SceneSurface& surface) {
        if (!surface.closed()) return false;
        retire(surface);
        return true;
    });
}

void WaylandFrontEnd::coverOutputs() {
    dropClosedSurfaces();
    outputs_.cover([this](WlOutput& output) -> std::unique_ptr<SceneSurface> {
        if (!output.described) return nullptr;
        // The compositor's first configure gives it the output's size.
        return std::make_unique<SceneSurface>(globals_, *egl_, role_, &output, caption_,
                                              screenWidth, screenHeight);
    });
    if (outputs_.allClosed()) {
        // An output that goes away closes its surface first: only once the
        // compositor has said all it has to say is every surface known closed
        // for good rather than gone with its output.
        roundtrip();
        dropClosedSurfaces();
        closed_ = outputs_.allClosed();
        // The compositor closing them is the end of a run; EGL failing on
        // every one is not.
        if (closed_ && !failure_.empty()) {
            throw WaylandError(failure_ + ", on every output there was");
        }
    }
}

bool WaylandFrontEnd::dispatch() {
    dispatchPending();
    readEvents(0, {});
    dispatchPending();
    if (!decorationsFailure_.empty()) throw WaylandError(decorationsFailure_);
    if (window_) {
        closed_ = window_->closed();
    } else {
        coverOutputs();
    }
    bool resized = false;
    forEachSurface([&resized](SceneSurface& surface) { resized |= surface.takeResized(); });
    return resized;
}

int WaylandFrontEnd::drawFrames(const std::function<void()>& draw) {
    int drawn = 0;
    bool givenUp = false;
    forEachSurface([&](SceneSurface& surface) {
        if (!surface.canDraw()) return;
        if (surface.drawFrame(draw)) {
            ++drawn;
            return;
        }
        if (&surface == window_.get()) throw WaylandError(surface.failure());
        failure_ = surface.failure() + " on " + surface.name();
        std::fprintf(stderr, "vorlune: %s: that output is given up\n", failure_.c_str());
        givenUp = true;
    });
    // Now, not at the next event: with no other surface none may come.
    if (givenUp) coverOutputs();
    // Judged just now; a surface the compositor closes later ends the run as
    // a close does, not as these failures.
    failure_.clear();
    return drawn;
}

void WaylandFrontEnd::wait(double seconds, std::span<const int> wakeFds) {
    readEvents(seconds < 0.0 ? -1 : static_cast<int>(std::ceil(seconds * 1000.0)), wakeFds);
}

std::vector<SurfaceFrames> WaylandFrontEnd::surfaces() const {
    std::vector<SurfaceFrames> all = retired_;
    const auto add = [&all](const SceneSurface& surface) {
        all.push_back({surface.name(), surface.size(), surface.frames()});
    };
    outputs_.forEachSurface(add);
    if (window_) add(*window_);
    return all;
}

}  // namespace

std::unique_ptr<FrontEnd> openWaylandFrontEnd(const LinuxOptions& options, const char* caption) {
    return std::make_unique<WaylandFrontEnd>(options, caption);
}

}  // namespace vorlune
