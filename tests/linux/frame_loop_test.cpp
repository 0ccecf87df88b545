#include "linux/frame_loop.hpp"

#include <gtest/gtest.h>
#include <poll.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "frame/frame_clock.hpp"

namespace vorlune {
namespace {

double nowMs() {
    return clockSeconds() * 1000.0;
}

// Two outputs: "A" takes a frame every round; "B" only every other one, as an
// output whose compositor is slow with its frame callbacks. News that is not
// a new size (keys, the pointer, frame callbacks) comes every 3 ms, and the
// display can report a new size or close itself after a given round.
class FakeDisplay final : public FrontEnd {
  public:
    struct Frame {
        std::string surface;
        long round;
        long tick;  // the scene's tick count when it was drawn
        double ms;
    };

    long round = 0;
    long closeAfterRound = -1;
    long resizeAfterRound = -1;
    long ticks = 0;
    std::vector<Frame> frames;
    std::vector<double> resizedMs;
    double closedMs = -1.0;

    bool dispatch() override {
        if (round == resizeAfterRound && resizedMs.empty()) {
            resizedMs.push_back(nowMs());
            return true;
        }
        return false;
    }
    bool closed() const override { return closeAfterRound >= 0 && round >= closeAfterRound; }
    int drawFrames(const std::function<void()>& draw) override {
        if (closed()) ADD_FAILURE() << "a frame drawn after the display ended the run";
        ++round;
        int drawn = 0;
        for (const char* name : {"A", "B"}) {
            if (name[0] == 'B' && round % 2 == 1) continue;
            draw();
            frames.push_back({name, round, ticks, nowMs()});
            ++drawn;
        }
        return drawn;
    }
    void wait(double seconds, std::span<const int> wakeFds) override {
        const double ms = seconds < 0.0 ? 3.0 : std::min(seconds * 1000.0, 3.0);
        pollfd descriptor{wakeFds[0], POLLIN, 0};
        poll(&descriptor, 1, static_cast<int>(std::ceil(ms)));
    }
    std::vector<SurfaceFrames> surfaces() const override {
        long a = 0;
        long b = 0;
        for (const Frame& frame : frames) (frame.surface == "A" ? a : b) += 1;
        return {{"A", "1024x768", a}, {"B", "800x600", b}};
    }
};

// The moments of the first frame of each round.
std::vector<double> roundStarts(const FakeDisplay& display) {
    std::vector<double> starts;
    long tick = 0;
    for (const FakeDisplay::Frame& frame : display.frames) {
        if (frame.tick != tick) starts.push_back(frame.ms);
        tick = frame.tick;
    }
    return starts;
}

TEST(FrameLoop, OneTickARoundPacedByThePauseAndNothingAfterTheEnd) {
    constexpr double kPause = 0.04;
    FakeDisplay display;
    display.closeAfterRound = 6;
    display.resizeAfterRound = 3;
    const FrameScene scene{
        [&] { ++display.ticks; },
        [] {},
        [] { return true; },
    };
    const RunFigures figures = runFrames(display, scene, kPause);

    // One tick a round, whatever the number of surfaces it reached, and
    // every frame of a round shows that round's tick.
    ASSERT_EQ(figures.rounds, 6);
    EXPECT_EQ(display.ticks, 6);
    ASSERT_EQ(display.frames.size(), 9u);
    for (const FakeDisplay::Frame& frame : display.frames) {
        EXPECT_EQ(frame.tick, frame.round) << frame.surface << " in round " << frame.round;
    }

    // Rounds are at least the pause apart, though news came every 3 ms,
    // except the one a new size brought forward.
    const std::vector<double> starts = roundStarts(display);
    ASSERT_EQ(starts.size(), 6u);
    for (std::size_t i = 1; i < starts.size(); ++i) {
        const double gap = starts[i] - starts[i - 1];
        if (i == 3) {
            EXPECT_LT(gap, kPause * 1000.0) << "the new size waited out the pause";
        } else {
            EXPECT_GE(gap, kPause * 1000.0 - 1.0) << "round " << i << " cut its pause short";
        }
    }

    const std::string text = describeRun(figures, display.surfaces());
    EXPECT_NE(text.find("A: 6 frames in "), std::string::npos) << text;
    EXPECT_NE(text.find("B: 3 frames in "), std::string::npos) << text;
    EXPECT_NE(text.find("6 rounds in "), std::string::npos) << text;
}

TEST(FrameLoop, EscapeEndsTheRunWithoutAnotherFrame) {
    FakeDisplay display;
    long frameAtEscape = -1;
    const FrameScene scene{
        [&] { ++display.ticks; },
        [] {},
        [&] {
            // Escape comes down during the third round's pause.
            if (display.round < 3) return true;
            if (frameAtEscape < 0) frameAtEscape = static_cast<long>(display.frames.size());
            return false;
        },
    };
    const RunFigures figures = runFrames(display, scene, 0.02);
    EXPECT_EQ(figures.rounds, 3);
    EXPECT_EQ(static_cast<long>(display.frames.size()), frameAtEscape);
}

}  // namespace
}  // namespace vorlune
