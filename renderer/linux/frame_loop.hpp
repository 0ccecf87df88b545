#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vorlune {

// What one surface showed in a run, for the frame-rate lines.
struct SurfaceFrames {
    std::string name;  // the output's, or "window"
    std::string size;  // "WIDTHxHEIGHT" in pixels, as last drawn
    long frames = 0;
};

// What the frame loop needs of a display: X11 with its one window, Wayland
// with a surface on every output. Nothing in it waits unless asked to.
class FrontEnd {
  public:
    virtual ~FrontEnd() = default;

    // Handles every event that has come, without waiting. True when the
    // picture should change at once rather than after the pause: a new size
    // or scale. Keys and other news are handled, and are not that.
    virtual bool dispatch() = 0;
    // The display ended the run: its window closed or destroyed, or the
    // compositor closed every surface of ours. Nothing is drawn after it.
    virtual bool closed() const = 0;
    // Calls `draw` for every surface that can take a frame now, with that
    // surface's context and viewport current, and shows what it drew. Returns
    // how many frames it drew: 0 while every surface waits for the compositor.
    virtual int drawFrames(const std::function<void()>& draw) = 0;
    // Waits until events come, `seconds` pass (forever when negative) or one
    // of `wakeFds` becomes readable, without handling the events.
    virtual void wait(double seconds, std::span<const int> wakeFds) = 0;
    // Every surface drawn on in the run, those gone included.
    virtual std::vector<SurfaceFrames> surfaces() const = 0;
};

// The scene as the loop drives it: one tick a round, that moment drawn on
// every surface the round reaches; keepRunning is false once it should end,
// and wakeFd, where there is one, becomes readable when that may have changed.
struct FrameScene {
    std::function<void()> tick;
    std::function<void()> draw;
    std::function<bool()> keepRunning;
    int wakeFd = -1;
};

// SIGTERM, SIGINT and SIGHUP end the run cleanly: they are caught from here
// on, and each also makes a descriptor readable, so that no wait sleeps
// through one.
void catchStopSignals();
bool stopSignalled();
int stopSignalDescriptor();

struct RunFigures {
    long rounds = 0;  // scene ticks, each drawn on every surface that could take it
    double seconds = 0.0;
    double cpuSeconds = 0.0;  // the process's own, user and system
};

// Runs the scene on the display until it should end, the display ends the
// run or a stop signal comes: events, the keep-running test, a round (one
// tick, a frame on every surface that can take one), the pause after it.
// Waits, never spins, while no surface can take a frame. Once the end is
// decided nothing more is drawn.
RunFigures runFrames(FrontEnd& display, const FrameScene& scene, double pauseSeconds);

// One line a surface, "NAME: N frames in S s, F fps at SIZE", then "N rounds
// in S s, C ms CPU a round".
std::string describeRun(const RunFigures& figures, const std::vector<SurfaceFrames>& surfaces);
// The same on stderr, each line begun with "vorlune: ".
void printRun(const RunFigures& figures, const std::vector<SurfaceFrames>& surfaces);

}  // namespace vorlune
