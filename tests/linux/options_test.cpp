// The native renderer's command line, its choice of display and its key
// table (X11's keysyms, which xkbcommon shares); the program itself runs under
// Xvfb in x11_test.sh and on headless compositors in wayland_test.sh, which
// also check its refusals end to end.
#include "linux/options.hpp"

#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "linux/keys.hpp"

namespace vorlune {
namespace {

TEST(OptionsTest, WindowIdsAreDecimalOrHexadecimalAndFitThirtyTwoBits) {
    EXPECT_EQ(parseWindowId("4194307"), 4194307u);
    EXPECT_EQ(parseWindowId("0X40000A"), 0x40000Au);
    EXPECT_EQ(parseWindowId("0xffffffff"), 0xffffffffu);
    for (const char* text : {"", "0", "0x", "0x0", "-5", "+5", "12abc", "0x12g", " 12", "12 ",
                             "0x100000000", "4294967296"}) {
        EXPECT_FALSE(parseWindowId(text).has_value()) << "'" << text << "'";
    }
}

TEST(OptionsTest, TheEnvironmentWindowWinsOverTheRootOnly) {
    const auto parse = [](std::vector<std::string> args, const char* environment = nullptr) {
        return parseOptions(args, environment);
    };
    EXPECT_EQ(parse({"-window"}).target, DrawTarget::window);
    EXPECT_EQ(parse({"--root"}).target, DrawTarget::rootWindow);
    EXPECT_EQ(parse({"--window-id", "77"}).windowId, 77u);
    EXPECT_EQ(parse({}, "0x20").windowId, 0x20u);
    EXPECT_EQ(parse({"-window-id", "9"}, "123").windowId, 9u);
    EXPECT_EQ(parse({"--window"}, "123").target, DrawTarget::window);
    EXPECT_EQ(parse({"-root"}, "").target, DrawTarget::rootWindow);
    EXPECT_THROW(parse({"-root"}, "0"), UsageError);
}

// Wayland wherever a Wayland display is named, but for --x11 and XScreenSaver's
// ways of handing over a window; -background is a target of its own.
TEST(OptionsTest, WaylandUnlessX11IsAskedFor) {
    const auto display = [](std::vector<std::string> args, const char* wayland,
                            const char* xscreensaverWindow = nullptr) {
        return chooseDisplay(parseOptions(args, xscreensaverWindow), wayland);
    };
    EXPECT_EQ(display({}, "wayland-1"), DisplayKind::wayland);
    EXPECT_EQ(display({"--window", "-fps"}, "/run/user/1000/wayland-0"), DisplayKind::wayland);
    EXPECT_EQ(display({"-background"}, "wayland-1"), DisplayKind::wayland);
    EXPECT_EQ(display({}, nullptr), DisplayKind::x11);
    EXPECT_EQ(display({}, ""), DisplayKind::x11);
    EXPECT_EQ(display({"--x11"}, "wayland-1"), DisplayKind::x11);
    EXPECT_EQ(display({"-root"}, "wayland-1"), DisplayKind::x11);
    EXPECT_EQ(display({"-window-id", "0x400001"}, "wayland-1"), DisplayKind::x11);
    EXPECT_EQ(display({"-root"}, "wayland-1", "4194305"), DisplayKind::x11);
    EXPECT_EQ(parseOptions({"-root", "-background"}, "12").target, DrawTarget::background);
}

TEST(OptionsTest, TheDelayIsWholeMicroseconds) {
    EXPECT_EQ(parseOptions({}, nullptr).delayMicroseconds, 30000u);
    EXPECT_EQ(parseOptions({"-delay", "0"}, nullptr).delayMicroseconds, 0u);
    EXPECT_EQ(parseOptions({"--delay", "100000", "-root"}, nullptr).delayMicroseconds, 100000u);
    for (const char* text : {"", "-5", "+5", "1e3", "20ms", "0x10", "4294967296"}) {
        EXPECT_THROW(parseOptions({"-delay", text}, nullptr), UsageError) << "'" << text << "'";
    }
    EXPECT_THROW(parseOptions({"-delay"}, nullptr), UsageError);
}

// --idle is full screen of its own: no other target, and the screen-saver
// daemon's window in the environment is not for it.
TEST(OptionsTest, IdleIsWholeSecondsUpToADayAndFullScreenOnly) {
    const LinuxOptions idle = parseOptions({"--idle", "300", "-delay", "0"}, "0x20");
    EXPECT_EQ(idle.idleSeconds, 300u);
    EXPECT_EQ(idle.target, DrawTarget::fullScreenSaver);
    EXPECT_EQ(parseOptions({"-idle", "86400"}, nullptr).idleSeconds, 86400u);
    for (const char* text : {"", "0", "-5", "86401", "5s"}) {
        EXPECT_THROW(parseOptions({"--idle", text}, nullptr), UsageError) << "'" << text << "'";
    }
    EXPECT_THROW(parseOptions({"--idle"}, nullptr), UsageError);
    EXPECT_THROW(parseOptions({"--idle", "60", "--window"}, nullptr), UsageError);
    EXPECT_THROW(parseOptions({"-root", "--idle", "60"}, nullptr), UsageError);
    EXPECT_THROW(parseOptions({"--idle", "60", "--x11"}, nullptr), UsageError);
}

// Escape is the key that ends a run; the runs of letters, digits and function
// keys are mapped by arithmetic.
TEST(KeysTest, KeysymsMapToWindowsKeyCodes) {
    const std::pair<unsigned long, int> keys[] = {
        {XK_Escape, 27},    {XK_a, 0x41},  {XK_z, 0x5A},       {XK_Z, 0x5A},    {XK_0, 0x30},
        {XK_9, 0x39},       {XK_F1, 0x70}, {XK_F24, 0x87},     {XK_KP_0, 0x60}, {XK_KP_9, 0x69},
        {XK_Shift_R, 0x10}, {0, 0},        {XK_dead_acute, 0}, {XK_F24 + 1, 0}, {XK_eacute, 0},
    };
    for (const auto& [keysym, code] : keys) {
        EXPECT_EQ(virtualKeyForKeysym(keysym), code) << "keysym 0x" << std::hex << keysym;
    }
}

}  // namespace
}  // namespace vorlune
