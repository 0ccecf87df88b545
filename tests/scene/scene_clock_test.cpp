#include "scene/scene_clock.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlune {
namespace {

// A week after boot a reading narrowed to single precision steps in 1/16 s.
// Each frame time is the interval between readings rounded once, neither
// clamped nor smoothed (forty suspended hours included), and the scene time
// their sum.
TEST(SceneClock, FrameTimesAreTheMeasuredIntervalsAfterAWeekOfUptime) {
    double reading = 7 * 24 * 3600 + 1.0 / 7;
    double sum = 0.0;
    SceneClock clock;
    clock.start(reading);
    EXPECT_TRUE(clock.started());
    for (const double interval : {1.0 / 60, 0.0173, 1.0 / 144, 40 * 3600.0, 0.021, 0.001}) {
        const float frameTime = clock.advance(reading += interval);
        sum += interval;
        EXPECT_NEAR(frameTime, interval, interval * 0x1p-23) << interval;
        EXPECT_NEAR(clock.sceneTime(), sum, sum * 0x1p-23) << interval;
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
