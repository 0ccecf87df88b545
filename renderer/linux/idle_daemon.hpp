#pragma once

#include "linux/options.hpp"

namespace vorlune {

// --idle: waits in the background, with no surface, until the user has been
// idle for options.idleSeconds, shows the scene full screen until their
// activity (or Escape held) ends it, and waits again, until a stop signal.
// Throws RefusedError where nothing tells it the user is idle.
void runIdleDaemon(const LinuxOptions& options, const char* caption);

}  // namespace vorlune
