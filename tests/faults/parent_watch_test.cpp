#include "frame/parent_watch.hpp"

#include <gtest/gtest.h>

namespace vorlune {
namespace {

TEST(ParentWatch, OnlyTheShellsProgramIsWatchedInAnyCase) {
    EXPECT_TRUE(isShellProgram("VORLUNE.SCR"));
    EXPECT_TRUE(isShellProgram("vorlune.Scr"));
    EXPECT_FALSE(isShellProgram("Vorlune.scr.exe"));
    EXPECT_FALSE(isShellProgram("XVorlune.scr"));
    EXPECT_FALSE(isShellProgram("Vorlune.sc"));
    EXPECT_FALSE(isShellProgram(""));
    // Only the letters A-Z fold: a byte 0x20 above another is not its case.
    EXPECT_FALSE(isShellProgram("Vorlune\x0eSCR"));
}

// A parent created after the renderer took over another process's id; without
// both creation times the name decides.
TEST(ParentWatch, AParentYoungerThanTheRendererIsNotItsShell) {
    constexpr std::uint64_t own = 133'000'000'000'000'000;
    EXPECT_TRUE(shouldWatchParent("Vorlune.scr", own, own));
    EXPECT_FALSE(shouldWatchParent("Vorlune.scr", own + 1, own));
    EXPECT_FALSE(shouldWatchParent("explorer.exe", own - 1'000'000, own));
    EXPECT_TRUE(shouldWatchParent("Vorlune.scr", 0, own));
    EXPECT_TRUE(shouldWatchParent("Vorlune.scr", own, 0));
    EXPECT_FALSE(shouldWatchParent("cmd.exe", 0, 0));
}

}  // namespace
}  // namespace vorlune
