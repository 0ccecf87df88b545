#include "shell/renderer_watch.hpp"

namespace vorlune::saver {

WatchVerdict RendererWatch::Tick(bool window, RendererProcess process, std::uint32_t sinceStartMs) {
    // Another program's window of that caption outlives our renderer.
    if (process.ended) {
        return process.exitCode == 0 ? WatchVerdict::End : WatchVerdict::RestoreDisplayAndEnd;
    }
    if (window) {
        windowSeen_ = true;
        return WatchVerdict::GoOn;
    }
    // The window went: the run ends, even while the process winds down.
    if (windowSeen_) return WatchVerdict::End;
    return sinceStartMs < kStartGraceMs ? WatchVerdict::GoOn : WatchVerdict::End;
}

}  // namespace vorlune::saver
