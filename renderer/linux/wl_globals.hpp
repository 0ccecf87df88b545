#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <stdexcept>

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "xdg-shell-client-protocol.h"
// NOTE: the layer shell's header names a parameter "namespace", a C++ keyword.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

namespace vorlune {

// A listener's entry for an event we have no use for.
template <typename... Arguments>
void ignoreEvent(void*, Arguments...) {}

// A failed Wayland or EGL call, or a lost connection; the message names the
// call or the display, and the system's own reason.
class WaylandError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The compositor's globals a surface of ours is made with. Those it does not
// offer stay null.
struct WlGlobals {
    wl_display* display = nullptr;
    wl_compositor* compositor = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    xdg_wm_base* wmBase = nullptr;
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractionalScale = nullptr;
};

// One output as the compositor describes it. Its proxy's user data is this
// object, so a surface can read the scale of an output it entered.
struct WlOutput {
    explicit WlOutput(wl_output* output);
    ~WlOutput();
    WlOutput(const WlOutput&) = delete;
    WlOutput& operator=(const WlOutput&) = delete;

    static WlOutput* of(wl_output* output) {
        return static_cast<WlOutput*>(wl_output_get_user_data(output));
    }

    wl_output* proxy;
    std::int32_t scale = 1;  // the integer buffer scale it asks for
    bool described = false;  // a first done event has come
};

}  // namespace vorlune
