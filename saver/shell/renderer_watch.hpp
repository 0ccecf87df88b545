#pragma once

#include <cstdint>

namespace vorlune::saver {

// The renderer's process as a tick finds it.
struct RendererProcess {
    bool ended = false;          // it has ended, or could not be started
    std::uint32_t exitCode = 0;  // once ended; 0 for one that never started
};

// What a tick decides.
enum class WatchVerdict : std::uint8_t {
    GoOn,
    End,
    // The renderer ended with another code than the 0 of every way out of
    // its own: it crashed or was killed, maybe with the display still in its
    // mode. The run gives the user's own mode back, then ends.
    RestoreDisplayAndEnd,
};

// The run's watch over the renderer, asked once per 500 ms tick. A renderer
// may take longer than one tick to open its window (a cold GL driver), so
// the run ends only once the window has gone after it was seen, once the
// renderer's process has ended, or once the start-up grace has passed without
// the window ever appearing.
class RendererWatch {
  public:
    static constexpr std::uint32_t kStartGraceMs = 10000;

    // window: a window captioned "VorluneVC" exists now; sinceStartMs: time
    // since the renderer was started.
    WatchVerdict Tick(bool window, RendererProcess process, std::uint32_t sinceStartMs);

  private:
    bool windowSeen_ = false;
};

}  // namespace vorlune::saver
