#pragma once

#include <functional>
#include <string>

namespace vorlune {

// What the frame loop needs of a display: X11 with its one window, Wayland
// with a surface on every output. Nothing in it waits unless asked to.
class FrontEnd {
  public:
    virtual ~FrontEnd() = default;

    // Handles every event that has come, without waiting. True when one of
    // them should be shown at once rather than after the pause (a new size).
    virtual bool dispatch() = 0;
    // The display asked the run to end: its window closed, or the compositor
    // closed every surface of ours.
    virtual bool closed() const = 0;
    // Nothing is left to draw on: the loop ends without another frame.
    virtual bool gone() const = 0;
    // Calls `draw` for every surface that can take a frame now, with that
    // surface's context and viewport current, and shows what it drew. Returns
    // how many frames it drew: 0 while every surface waits for the compositor.
    virtual int drawFrames(const std::function<void()>& draw) = 0;
    // Waits until events come, `seconds` pass (forever when negative) or
    // `wakeFd` becomes readable, without handling the events.
    virtual void wait(double seconds, int wakeFd) = 0;
    // The sizes drawn at, in pixels, for the frame-rate line: "1024x768, 800x600".
    virtual std::string sizes() const = 0;
};

// SIGTERM, SIGINT and SIGHUP end the run cleanly: they are caught from here
// on, and each also makes a descriptor readable, so that no wait sleeps
// through one.
void catchStopSignals();
bool stopSignalled();
int stopSignalDescriptor();

struct RunFigures {
    long frames = 0;
    double seconds = 0.0;
    double cpuSeconds = 0.0;  // the process's own, user and system
};

// Runs the scene on the display until Escape is held, the display ends the
// run or a stop signal comes: events, the keep-running test, a frame on every
// surface that can take one, the pause after it. Waits, never spins, while
// no surface can take a frame. Frames follow measured time.
RunFigures runFrames(FrontEnd& display, double pauseSeconds);

// "N frames in S s, F fps at SIZES, C ms CPU a frame".
std::string describeRun(const RunFigures& figures, const std::string& sizes);

}  // namespace vorlune
