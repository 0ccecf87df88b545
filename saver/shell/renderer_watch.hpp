#pragma once

#include <cstdint>

namespace vorlune::saver {

// The run's watch over the renderer, asked once per 500 ms tick. A renderer
// may take longer than one tick to open its window (a cold GL driver), so
// the run ends only once the window has gone after it was seen, once the
// renderer's process has ended, or once the start-up grace has passed without
// the window ever appearing.
class RendererWatch {
  public:
    static constexpr std::uint32_t kStartGraceMs = 10000;

    // window: a window captioned "VorluneVC" exists now; processEnded: the
    // renderer's process has ended (or could not be started); sinceStartMs:
    // time since the renderer was started. True while the run goes on.
    bool Tick(bool window, bool processEnded, std::uint32_t sinceStartMs);

    bool WindowSeen() const { return windowSeen_; }

  private:
    bool windowSeen_ = false;
};

}  // namespace vorlune::saver
