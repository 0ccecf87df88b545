#include "scene/scene_clock.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <ostream>
#include <random>
#include <vector>

#include "scene/ball_geometry.hpp"
#include "scene/shell_geometry.hpp"

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

struct LongRun {
    BootClock clock;
    double meanInterval;  // seconds between frames
    double jitter;        // each interval is the mean plus or minus up to this
};

void PrintTo(const LongRun& run, std::ostream* os) {
    *os << run.clock.name << ", " << run.meanInterval * 1000 << " ms frames";
}

class SceneClockAfterDays : public ::testing::TestWithParam<LongRun> {};

// No ball centre moves faster than this: each coordinate is the sine or cosine
// of at most 2.1 times the scene time.
const float kFastestBall = std::sqrt(3.0f) * 2.1f;

// A week after boot, frames come at realistic, jittery intervals. Each frame
// time is the measured interval rounded once to single precision: narrowing
// the readings instead would step every frame time in 1/16 s. The scene time
// moves on every frame, first from zero and then after 40 hours of running,
// and the balls move every frame, but never further than their speed allows.
TEST_P(SceneClockAfterDays, FrameTimesAreTheMeasuredIntervals) {
    const LongRun run = GetParam();
    BootClock clock = run.clock;
    clock.ticks = 7 * 24 * 3600 * clock.frequency + clock.frequency / 7;
    std::mt19937 random(20240611u);
    std::uniform_real_distribution<double> jitter(-run.jitter, run.jitter);
    auto field = createSceneField(3);
    ShellGeometry shells(*field);

    SceneClock scene;
    scene.start(clock.reading());
    double elapsed = 0.0;
    std::vector<Metaball> previous;
    int stillFrames = 0;
    auto nextFrame = [&](int n) {
        const auto ticks = std::llround((run.meanInterval + jitter(random)) *
                                        static_cast<double>(clock.frequency));
        clock.ticks += ticks;
        const double interval = static_cast<double>(ticks) / static_cast<double>(clock.frequency);
        const float before = scene.sceneTime();
        const float frameTime = scene.advance(clock.reading());
        elapsed += interval;

        ASSERT_NEAR(frameTime, interval, interval * 0x1p-23) << "frame " << n;
        // Past 36 hours the scene time's spacing (1/64 s) is longer than the
        // shortest frames: one may leave it where it was, the next moves it on.
        ASSERT_GE(scene.sceneTime(), before) << "frame " << n;
        stillFrames = scene.sceneTime() == before ? stillFrames + 1 : 0;
        ASSERT_LE(stillFrames, 1) << "frame " << n;
        // the step is the frame time, neither clamped nor smoothed; both ends
        // are the exact sum narrowed, each within half the scene time's spacing
        const float spacing = std::nextafter(scene.sceneTime(), INFINITY) - scene.sceneTime();
        ASSERT_NEAR(scene.sceneTime() - before, frameTime, spacing) << "frame " << n;

        placeBalls(*field, scene.sceneTime());
        for (std::size_t b = 0; b < previous.size(); ++b) {
            const float step = (field->balls[b].centre - previous[b].centre).length();
            if (scene.sceneTime() != before) {
                ASSERT_GT(step, 0.0f) << "ball " << b << " frame " << n;
            }
            ASSERT_LT(step, 3.0f * kFastestBall * static_cast<float>(interval))
                << "ball " << b << " frame " << n;
        }
        previous.assign(field->balls.get(), field->balls.get() + kSceneBallCount);
    };

    constexpr int kFrames = 3000;
    for (int n = 0; n < kFrames && !HasFailure(); ++n) nextFrame(n);
    EXPECT_NEAR(scene.sceneTime(), elapsed, 1e-4 * elapsed) << "the scene time keeps up";

    // Forty hours later (one long frame, as after a suspend); ball positions
    // restart from there.
    clock.ticks += 40 * 3600 * clock.frequency;
    scene.advance(clock.reading());
    ASSERT_GT(scene.sceneTime(), 40.0f * 3600.0f);
    previous.clear();
    for (int n = 0; n < kFrames && !HasFailure(); ++n) {
        nextFrame(n);
        if (n % 1000 == 999) {
            // the frame's triangles, as drawn, are whole and on the lattice
            shells.evaluate();
            long corners = 0;
            long strays = 0;
            struct Check {
                long& corners;
                long& strays;
                void beginTriangles() {}
                void endTriangles() {}
                void corner(const Vector3& normal, const Vector3& vertex) {
                    ++corners;
                    const float reach = kSceneExtent + 1.0f;
                    for (float v : {vertex.x, vertex.y, vertex.z}) {
                        if (!(std::fabs(v) <= reach)) ++strays;
                    }
                    const float length = normal.length();
                    if (!(std::fabs(length - 1.0f) < 1e-3f)) ++strays;
                }
            } check{corners, strays};
            shells.polygoniseShells(check);
            EXPECT_GT(corners, 300) << "frame " << n;
            EXPECT_EQ(strays, 0) << "non-finite or stray corners in frame " << n;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    WeekOfUptime, SceneClockAfterDays,
    ::testing::Values(LongRun{{"clock_gettime", 1000000000, true}, 1.0 / 60.0, 0.002},
                      LongRun{{"clock_gettime", 1000000000, true}, 0.040, 0.008},
                      LongRun{{"performance counter", 10000000, false}, 1.0 / 60.0, 0.002},
                      LongRun{{"performance counter", 10000000, false}, 0.040, 0.008},
                      LongRun{{"tick count", 1000, false}, 1.0 / 60.0, 0.002}));

TEST(SceneClock, AStallAdvancesByTheWholeElapsedTime) {
    SceneClock clock;
    clock.start(100.0);
    clock.advance(100.02);
    clock.advance(3700.02);  // an hour suspended
    EXPECT_NEAR(clock.sceneTime(), 3600.02f, 1e-3f);
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
