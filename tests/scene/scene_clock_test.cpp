#include "scene/scene_clock.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace vorlune {
namespace {

TEST(SceneClock, FirstFrameStartsAtAboutZero) {
    SceneClock clock;
    EXPECT_FALSE(clock.started());
    clock.start(1234.5);
    EXPECT_TRUE(clock.started());
    clock.advance(1234.5001);
    EXPECT_NEAR(clock.sceneTime(), 0.0001f, 1e-7f);
}

TEST(SceneClock, FrameTimesStayExactOnAClockThatHasRunForDays) {
    // Nine days of uptime: single-precision readings would step in 1/16 s.
    const double boot = 9.0 * 24 * 3600 + 0.123;
    const double frame = 1.0 / 60.0;
    SceneClock clock;
    clock.start(boot);
    float previous = 0.0f;
    for (int n = 1; n <= 600; ++n) {
        const float frameTime = clock.advance(boot + n * frame);
        ASSERT_NEAR(frameTime, frame, 1e-9) << "frame " << n;
        ASSERT_GT(clock.sceneTime(), previous) << "every frame moves the scene on";
        previous = clock.sceneTime();
    }
    EXPECT_NEAR(clock.sceneTime(), 10.0f, 1e-4f);
}

TEST(SceneClock, AStallAdvancesByTheWholeElapsedTime) {
    SceneClock clock;
    clock.start(100.0);
    clock.advance(100.02);
    clock.advance(3700.02);  // an hour suspended
    EXPECT_NEAR(clock.sceneTime(), 3600.02f, 1e-3f);
    // the scene time is a single-precision sum: each addition rounds to its spacing
    const float expected = 0.02f + 3600.0f;
    EXPECT_EQ(clock.sceneTime(), static_cast<float>(0.02f) + static_cast<float>(3600.0));
    EXPECT_EQ(clock.sceneTime(), expected);
}

}  // namespace
}  // namespace vorlune
