#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <stdexcept>

#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "xdg-decoration-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"
// NOTE: the layer shell's header names a parameter "namespace", a C++ keyword.
#define namespace layer_namespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

struct libdecor;

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
    wl_compositor* compositor = nullptr;
    zwlr_layer_shell_v1* layerShell = nullptr;
    xdg_wm_base* wmBase = nullptr;
    wp_viewporter* viewporter = nullptr;
    wp_fractional_scale_manager_v1* fractionalScale = nullptr;
    zxdg_decoration_manager_v1* decorationManager = nullptr;
    // Title bars drawn on our behalf, for a window where the compositor draws
    // none (no decoration manager); made only then.
    libdecor* decorations = nullptr;
};

}  // namespace vorlune
