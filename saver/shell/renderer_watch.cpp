#include "shell/renderer_watch.hpp"

namespace vorlune::saver {

bool RendererWatch::Tick(bool window, bool processEnded, std::uint32_t sinceStartMs) {
    if (window) {
        windowSeen_ = true;
        // Another program's window of that caption outlives our renderer.
        return !processEnded;
    }
    if (windowSeen_ || processEnded) return false;
    return sinceStartMs < kStartGraceMs;
}

}  // namespace vorlune::saver
