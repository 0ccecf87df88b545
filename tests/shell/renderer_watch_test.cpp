#include "shell/renderer_watch.hpp"

#include <gtest/gtest.h>

namespace vorlune::saver {
namespace {

TEST(RendererWatch, WaitsForASlowRendererWithinTheGrace) {
    RendererWatch watch;
    // A cold driver: no window at the first ticks, the process still alive.
    EXPECT_TRUE(watch.Tick(false, false, 500));
    EXPECT_TRUE(watch.Tick(false, false, 3000));
    EXPECT_TRUE(watch.Tick(true, false, 3500));
    EXPECT_TRUE(watch.WindowSeen());
    EXPECT_TRUE(watch.Tick(true, false, 60000));
    // The window went: the run ends at this tick, even while the process winds down.
    EXPECT_FALSE(watch.Tick(false, false, 60500));
}

TEST(RendererWatch, EndsWhenTheRendererCannotShowUp) {
    {
        RendererWatch watch;
        EXPECT_TRUE(watch.Tick(false, false, 9500));
        EXPECT_FALSE(watch.Tick(false, false, RendererWatch::kStartGraceMs));
    }
    {
        // Ended (or never started) before it had a window.
        RendererWatch watch;
        EXPECT_FALSE(watch.Tick(false, true, 500));
    }
    {
        // Some other program's window of that caption does not keep us.
        RendererWatch watch;
        EXPECT_TRUE(watch.Tick(true, false, 500));
        EXPECT_FALSE(watch.Tick(true, true, 1000));
    }
}

}  // namespace
}  // namespace vorlune::saver
