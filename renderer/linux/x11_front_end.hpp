#pragma once

#include <memory>

#include "linux/frame_loop.hpp"
#include "linux/options.hpp"

namespace vorlune {

// The renderer on the X display DISPLAY names, drawing where the options say:
// a full-screen window on the primary monitor with the others covered, a
// normal window, the root window or a window another program owns. Throws
// X11Error for a display or call that fails, RefusedError for what X11 cannot
// do or a given window that is not there.
std::unique_ptr<FrontEnd> openX11FrontEnd(const LinuxOptions& options, const char* caption);

}  // namespace vorlune
