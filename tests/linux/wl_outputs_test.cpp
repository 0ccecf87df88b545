// The Wayland front end's bookkeeping of outputs and their surfaces, which a
// headless compositor cannot show whole: it never takes an output away.
#include "linux/wl_outputs.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace vorlune {
namespace {

struct FakeOutput {
    bool described = false;
};

// Counts the surfaces alive, as the compositor would see them.
struct FakeSurface {
    explicit FakeSurface(int& counter) : alive(counter) { ++alive; }
    ~FakeSurface() { --alive; }
    FakeSurface(const FakeSurface&) = delete;
    FakeSurface& operator=(const FakeSurface&) = delete;
    int& alive;
    bool closed = false;
};

TEST(OutputRosterTest, OutputsComeAndGoWithTheirSurfacesAndClosedOnesStayClosed) {
    OutputRoster<FakeOutput, FakeSurface> roster;
    int alive = 0;
    const auto cover = [&] {
        roster.cover([&](const FakeOutput& output) {
            return output.described ? std::make_unique<FakeSurface>(alive) : nullptr;
        });
    };
    const auto closeAll = [&] {
        roster.forEachSurface([](FakeSurface& surface) { surface.closed = true; });
        roster.dropClosed([](const FakeSurface& surface) { return surface.closed; });
    };

    // No output yet: nothing to show, but nothing over either.
    EXPECT_FALSE(roster.allClosed());
    roster.add(31, std::make_unique<FakeOutput>()).described = true;
    roster.add(32, std::make_unique<FakeOutput>());
    cover();
    EXPECT_EQ(alive, 1) << "an output is covered only once described";
    roster.output(32)->described = true;
    cover();
    cover();  // every done event asks again
    EXPECT_EQ(alive, 2);

    // One goes away with its surface; the other and the run go on.
    EXPECT_TRUE(roster.remove(31));
    EXPECT_FALSE(roster.remove(31));
    EXPECT_EQ(roster.output(31), nullptr);
    EXPECT_EQ(alive, 1);
    EXPECT_FALSE(roster.allClosed());

    // The compositor closes the last surface: the run is over, and stays so
    // however often the output describes itself again...
    closeAll();
    cover();
    EXPECT_EQ(alive, 0);
    EXPECT_TRUE(roster.allClosed());
    // ...until another output comes, which is covered; the closed one is not.
    roster.add(40, std::make_unique<FakeOutput>()).described = true;
    EXPECT_FALSE(roster.allClosed());
    cover();
    EXPECT_EQ(alive, 1);

    // Every output gone: the run waits for the next.
    roster.remove(32);
    roster.remove(40);
    EXPECT_EQ(alive, 0);
    EXPECT_FALSE(roster.allClosed());
}

}  // namespace
}  // namespace vorlune
