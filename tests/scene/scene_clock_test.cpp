#include "scene/scene_clock.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace vorlune {
namespace {

// A frame clock that has counted since boot, read as the platform clocks
// read it: nanoseconds as whole seconds plus a fraction (clock_gettime), or
// whole ticks divided by the tick frequency (performance counter, or the
// millisecond tick count when there is none). Both give seconds.
struct BootClock {
    const char* name;
    std::int64_t frequency;  // ticks per second
    bool secondsAndFraction;
    std::int64_t ticks = 0;

    double reading() const {
        if (secondsAndFraction) {
            return static_cast<double>(ticks / frequency) +
                   static_cast<double>(ticks % frequency) / static_cast<double>(frequency);
        }
        return static_cast<double>(ticks) / static_cast<double>(frequency);
    }
};

// A week after boot, frames come at realistic, jittery intervals. Each frame
// time is the measured interval rounded once to single precision: narrowing
// the readings instead would step every frame time in 1/16 s. The scene time
// steps by exactly that, neither clamped nor smoothed, and keeps up with the
// clock from zero, across forty suspended hours (one long frame) and after
// them, when its spacing (1/64 s) is longer than the shortest frames: one may
// leave it where it was, the next moves it on.
TEST(SceneClock, FrameTimesAreTheMeasuredIntervalsAfterAWeekOfUptime) {
    for (const BootClock kind : {BootClock{"clock_gettime", 1000000000, true},
                                 BootClock{"performance counter", 10000000, false},
                                 BootClock{"tick count", 1000, false}}) {
        for (const double mean : {1.0 / 60.0, 0.040}) {
            SCOPED_TRACE(::testing::Message() << kind.name << ", " << mean * 1000 << " ms frames");
            BootClock clock = kind;
            clock.ticks = 7 * 24 * 3600 * clock.frequency + clock.frequency / 7;
            std::mt19937 random(20240611u);
            std::uniform_real_distribution<double> jitter(-mean / 5, mean / 5);
            SceneClock scene;
            scene.start(clock.reading());
            EXPECT_TRUE(scene.started());

            auto run = [&](int frames) {
                double elapsed = 0.0;
                int stillFrames = 0;
                for (int n = 0; n < frames; ++n) {
                    const auto ticks = std::llround((mean + jitter(random)) *
                                                    static_cast<double>(clock.frequency));
                    clock.ticks += ticks;
                    const double interval =
                        static_cast<double>(ticks) / static_cast<double>(clock.frequency);
                    const float before = scene.sceneTime();
                    const float frameTime = scene.advance(clock.reading());
                    elapsed += interval;
                    EXPECT_NEAR(frameTime, interval, interval * 0x1p-23) << "frame " << n;
                    stillFrames = scene.sceneTime() == before ? stillFrames + 1 : 0;
                    EXPECT_LE(stillFrames, 1) << "frame " << n;
                    // both ends are the exact sum narrowed, each within half a spacing
                    const float spacing =
                        std::nextafter(scene.sceneTime(), INFINITY) - scene.sceneTime();
                    EXPECT_NEAR(scene.sceneTime() - before, frameTime, spacing) << "frame " << n;
                    if (::testing::Test::HasFailure()) break;
                }
                return elapsed;
            };
            const double first = run(3000);
            EXPECT_NEAR(scene.sceneTime(), first, 1e-4 * first);

            clock.ticks += 40 * 3600 * clock.frequency;
            scene.advance(clock.reading());
            const double resumed = scene.sceneTime();
            EXPECT_NEAR(resumed, first + 40 * 3600, 0.01);
            const double later = run(3000);
            EXPECT_NEAR(scene.sceneTime() - resumed, later, 1e-3 * later);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

// After 40 hours a single-precision sum would round every addition to 1/64 s:
// 144 frames a second would add nothing, 60 would run 6 % slow.
TEST(SceneClock, FramesShorterThanTheSpacingOfLongTimesStillCount) {
    for (const double interval : {1.0 / 144.0, 1.0 / 60.0, 0.001}) {
        SceneClock clock;
        clock.start(0.0);
        clock.advance(144000.0);
        const float at40Hours = clock.sceneTime();
        double reading = 144000.0;
        const int frames = static_cast<int>(std::lround(10.0 / interval));
        for (int i = 0; i < frames; ++i) clock.advance(reading += interval);
        EXPECT_NEAR(clock.sceneTime() - at40Hours, 10.0f, 0.02f) << "interval " << interval;
    }
}

}  // namespace
}  // namespace vorlune
