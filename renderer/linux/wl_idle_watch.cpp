#include <poll.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "ext-idle-notify-v1-client-protocol.h"
#include "idle-client-protocol.h"
#include "linux/idle_watch.hpp"
#include "linux/wl_globals.hpp"

namespace vorlune {

namespace {

class WaylandIdleWatch final : public IdleWatch {
  public:
    explicit WaylandIdleWatch(wl_display* display) : display_(display) {}
    ~WaylandIdleWatch() override;
    WaylandIdleWatch(const WaylandIdleWatch&) = delete;
    WaylandIdleWatch& operator=(const WaylandIdleWatch&) = delete;

    // False when there is nothing to watch through.
    bool start(std::uint32_t milliseconds);

    int descriptor() const override { return wl_display_get_fd(display_); }
    void dispatch() override;
    bool idle() const override { return idle_; }
    std::string source() const override {
        return notification_ != nullptr ? "ext_idle_notifier_v1" : "org_kde_kwin_idle";
    }

  private:
    static const wl_registry_listener kRegistryListener;
    static const ext_idle_notification_v1_listener kNotificationListener;
    static const org_kde_kwin_idle_timeout_listener kTimeoutListener;

    [[noreturn]] void connectionLost() const;

    wl_display* display_;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    ext_idle_notifier_v1* notifier_ = nullptr;
    org_kde_kwin_idle* kdeIdle_ = nullptr;
    ext_idle_notification_v1* notification_ = nullptr;
    org_kde_kwin_idle_timeout* timeout_ = nullptr;
    bool idle_ = false;
};

const wl_registry_listener WaylandIdleWatch::kRegistryListener = {
    [](void* data, wl_registry* registry, std::uint32_t name, const char* interface,
       std::uint32_t) {
        auto* self = static_cast<WaylandIdleWatch*>(data);
        const std::string_view kind = interface;
        // The first seat is the user's; a second one is rare enough to leave.
        if (kind == wl_seat_interface.name && self->seat_ == nullptr) {
            self->seat_ =
                static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
        } else if (kind == ext_idle_notifier_v1_interface.name) {
            self->notifier_ = static_cast<ext_idle_notifier_v1*>(
                wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
        } else if (kind == org_kde_kwin_idle_interface.name) {
            self->kdeIdle_ = static_cast<org_kde_kwin_idle*>(
                wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
        }
    },
    ignoreEvent<wl_registry*, std::uint32_t>,
};

const ext_idle_notification_v1_listener WaylandIdleWatch::kNotificationListener = {
    [](void* data, ext_idle_notification_v1*) {
        static_cast<WaylandIdleWatch*>(data)->idle_ = true;
    },
    [](void* data, ext_idle_notification_v1*) {
        static_cast<WaylandIdleWatch*>(data)->idle_ = false;
    },
};

const org_kde_kwin_idle_timeout_listener WaylandIdleWatch::kTimeoutListener = {
    [](void* data, org_kde_kwin_idle_timeout*) {
        static_cast<WaylandIdleWatch*>(data)->idle_ = true;
    },
    [](void* data, org_kde_kwin_idle_timeout*) {
        static_cast<WaylandIdleWatch*>(data)->idle_ = false;
    },
};

bool WaylandIdleWatch::start(std::uint32_t milliseconds) {
    registry_ = wl_display_get_registry(display_);
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    if (wl_display_roundtrip(display_) < 0) connectionLost();
    if (seat_ == nullptr) return false;
    if (notifier_ != nullptr) {
        notification_ = ext_idle_notifier_v1_get_idle_notification(notifier_, milliseconds, seat_);
        ext_idle_notification_v1_add_listener(notification_, &kNotificationListener, this);
    } else if (kdeIdle_ != nullptr) {
        timeout_ = org_kde_kwin_idle_get_idle_timeout(kdeIdle_, seat_, milliseconds);
        org_kde_kwin_idle_timeout_add_listener(timeout_, &kTimeoutListener, this);
    } else {
        return false;
    }
    if (wl_display_flush(display_) < 0) connectionLost();
    return true;
}

WaylandIdleWatch::~WaylandIdleWatch() {
    if (notification_ != nullptr) ext_idle_notification_v1_destroy(notification_);
    if (timeout_ != nullptr) org_kde_kwin_idle_timeout_release(timeout_);
    if (notifier_ != nullptr) ext_idle_notifier_v1_destroy(notifier_);
    // Its protocol has no destructor request: the proxy alone goes.
    if (kdeIdle_ != nullptr) wl_proxy_destroy(reinterpret_cast<wl_proxy*>(kdeIdle_));
    if (seat_ != nullptr) wl_seat_destroy(seat_);
    if (registry_ != nullptr) wl_registry_destroy(registry_);
    wl_display_disconnect(display_);
}

void WaylandIdleWatch::connectionLost() const {
    const int error = wl_display_get_error(display_);
    throw WaylandError(std::string("lost the connection to the Wayland display, watching it for "
                                   "idle time: ") +
                       std::strerror(error != 0 ? error : errno));
}

void WaylandIdleWatch::dispatch() {
    while (wl_display_prepare_read(display_) != 0) {
        if (wl_display_dispatch_pending(display_) < 0) connectionLost();
    }
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(display_);
        connectionLost();
    }
    pollfd descriptor{wl_display_get_fd(display_), POLLIN, 0};
    if (poll(&descriptor, 1, 0) > 0) {
        if (wl_display_read_events(display_) < 0) connectionLost();
    } else {
        wl_display_cancel_read(display_);
    }
    if (wl_display_dispatch_pending(display_) < 0) connectionLost();
}

}  // namespace

std::unique_ptr<IdleWatch> openWaylandIdleWatch(std::uint32_t milliseconds) {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        const int error = errno;
        const char* name = std::getenv("WAYLAND_DISPLAY");
        throw WaylandError(std::string("wl_display_connect failed for the Wayland display \"") +
                           (name != nullptr ? name : "") + "\": " + std::strerror(error));
    }
    auto watch = std::make_unique<WaylandIdleWatch>(display);
    if (!watch->start(milliseconds)) return nullptr;
    return watch;
}

}  // namespace vorlune
