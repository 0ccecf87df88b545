#pragma once

#include <memory>

#include "linux/frame_loop.hpp"
#include "linux/options.hpp"

namespace vorlune {

// The renderer on the Wayland display WAYLAND_DISPLAY names. Full screen: a
// layer surface on the overlay layer of every output, or a fullscreen
// toplevel on each where the compositor has no layer shell; -background: a
// layer surface on the background layer of every output; --window: one
// toplevel. Outputs that come later get theirs, outputs that go take theirs.
// Throws WaylandError for a display that does not answer or a call that
// fails, RefusedError for what this compositor cannot do.
std::unique_ptr<FrontEnd> openWaylandFrontEnd(const LinuxOptions& options, const char* caption);

}  // namespace vorlune
