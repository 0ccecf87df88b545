#include "frame/display_mode.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace vorlune {
namespace {

// A display that takes only the depths it has, at any size.
struct FakeDisplay final : DisplayModes {
    int current = 0;
    std::vector<int> depths;
    std::vector<DisplayMode> tried;

    int currentBitsPerPixel() override { return current; }
    bool change(const DisplayMode& mode) override {
        tried.push_back(mode);
        for (const int depth : depths) {
            if (depth == mode.bitsPerPixel) return true;
        }
        return false;
    }
};

// 1024 x 768 x 16 first; where the display has no 16-bit mode, the same size
// at the depth it runs at, tried once; a window only when that fails too.
TEST(DisplayMode, SixteenBitsThenTheCurrentDepthThenAWindow) {
    const DisplayMode wanted{1024, 768, 16};
    const DisplayMode at32{1024, 768, 32};
    struct Case {
        int current;
        std::vector<int> depths;
        std::vector<DisplayMode> tried;
        std::optional<DisplayMode> result;
    };
    const Case cases[] = {
        {32, {16, 32}, {wanted}, wanted},
        {32, {32}, {wanted, at32}, at32},
        {32, {}, {wanted, at32}, std::nullopt},
        {16, {}, {wanted}, std::nullopt},   // the same mode is not asked for twice
        {0, {32}, {wanted}, std::nullopt},  // a depth that cannot be read
    };
    for (const Case& c : cases) {
        FakeDisplay display;
        display.current = c.current;
        display.depths = c.depths;
        EXPECT_EQ(enterFullScreenMode(display, wanted), c.result) << "current depth " << c.current;
        EXPECT_EQ(display.tried, c.tried) << "current depth " << c.current;
    }
}

}  // namespace
}  // namespace vorlune
