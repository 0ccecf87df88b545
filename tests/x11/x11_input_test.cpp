#include <X11/keysym.h>
#include <gtest/gtest.h>

#include "frame/x11_keys.hpp"
#include "frame/x11_options.hpp"

namespace vorlune {
namespace {

TEST(WindowIdTest, ReadsDecimalAndHexadecimal) {
    EXPECT_EQ(parseWindowId("4194307"), 4194307u);
    EXPECT_EQ(parseWindowId("0x400003"), 0x400003u);
    EXPECT_EQ(parseWindowId("0X40000A"), 0x40000Au);
    EXPECT_EQ(parseWindowId("0xffffffff"), 0xffffffffu);
}

TEST(WindowIdTest, RefusesWhatIsNotAnId) {
    for (const char* text : {"", "0", "0x", "0x0", "-5", "+5", "12abc", "0x12g", " 12", "12 ",
                             "0x100000000", "4294967296", "abc"}) {
        EXPECT_FALSE(parseWindowId(text).has_value()) << "'" << text << "'";
    }
}

X11Options parse(std::vector<std::string> args, const char* environment = nullptr) {
    return parseX11Options(args, environment);
}

TEST(X11OptionsTest, ChoosesTheDrawTarget) {
    EXPECT_EQ(parse({}).target, DrawTarget::fullScreen);
    EXPECT_EQ(parse({"--window"}).target, DrawTarget::window);
    EXPECT_EQ(parse({"-window"}).target, DrawTarget::window);
    EXPECT_EQ(parse({"-root"}).target, DrawTarget::rootWindow);
    EXPECT_EQ(parse({"--root"}).target, DrawTarget::rootWindow);

    const X11Options given = parse({"-window-id", "0x1a00005"});
    EXPECT_EQ(given.target, DrawTarget::givenWindow);
    EXPECT_EQ(given.windowId, 0x1a00005u);
    EXPECT_EQ(parse({"--window-id", "77"}).windowId, 77u);

    EXPECT_TRUE(parse({"-fps"}).printFrameRate);
    EXPECT_FALSE(parse({}).printFrameRate);
    EXPECT_TRUE(parse({"--help"}).showHelp);
}

TEST(X11OptionsTest, TheEnvironmentWindowWinsOverTheRootOnly) {
    // How a screen saver daemon starts a hack: -root plus its own window.
    const X11Options hack = parse({"-root"}, "123");
    EXPECT_EQ(hack.target, DrawTarget::givenWindow);
    EXPECT_EQ(hack.windowId, 123u);
    EXPECT_EQ(parse({}, "0x20").target, DrawTarget::givenWindow);

    EXPECT_EQ(parse({"-window-id", "9"}, "123").windowId, 9u);
    EXPECT_EQ(parse({"--window"}, "123").target, DrawTarget::window);
    EXPECT_EQ(parse({"-root"}, "").target, DrawTarget::rootWindow);
}

TEST(X11OptionsTest, RefusesBadCommandLines) {
    EXPECT_THROW(parse({"--fullscreen"}), UsageError);
    EXPECT_THROW(parse({"-window-id"}), UsageError);
    EXPECT_THROW(parse({"-window-id", "nope"}), UsageError);
    EXPECT_THROW(parse({}, "junk"), UsageError);
    EXPECT_THROW(parse({"-root"}, "0"), UsageError);
    try {
        parse({"-window-id", "0xzz"});
        FAIL() << "no UsageError";
    } catch (const UsageError& error) {
        EXPECT_NE(std::string(error.what()).find("'0xzz'"), std::string::npos) << error.what();
    }
}

TEST(VirtualKeyTest, MapsKeysymsToWindowsKeyCodes) {
    EXPECT_EQ(virtualKeyForKeysym(XK_Escape), 27);
    EXPECT_EQ(virtualKeyForKeysym(XK_a), 0x41);
    EXPECT_EQ(virtualKeyForKeysym(XK_Z), 0x5A);
    EXPECT_EQ(virtualKeyForKeysym(XK_z), 0x5A);
    EXPECT_EQ(virtualKeyForKeysym(XK_0), 0x30);
    EXPECT_EQ(virtualKeyForKeysym(XK_9), 0x39);
    EXPECT_EQ(virtualKeyForKeysym(XK_F1), 0x70);
    EXPECT_EQ(virtualKeyForKeysym(XK_F12), 0x7B);
    EXPECT_EQ(virtualKeyForKeysym(XK_KP_0), 0x60);
    EXPECT_EQ(virtualKeyForKeysym(XK_KP_9), 0x69);
    EXPECT_EQ(virtualKeyForKeysym(XK_Return), 0x0D);
    EXPECT_EQ(virtualKeyForKeysym(XK_KP_Enter), 0x0D);
    EXPECT_EQ(virtualKeyForKeysym(XK_Shift_R), 0x10);
    EXPECT_EQ(virtualKeyForKeysym(XK_Control_L), 0x11);
    EXPECT_EQ(virtualKeyForKeysym(XK_Left), 0x25);
    EXPECT_EQ(virtualKeyForKeysym(XK_Down), 0x28);
    EXPECT_EQ(virtualKeyForKeysym(XK_space), 0x20);
    EXPECT_EQ(virtualKeyForKeysym(XK_slash), 0xBF);
}

TEST(VirtualKeyTest, KeysWithoutACodeGiveZero) {
    EXPECT_EQ(virtualKeyForKeysym(0), 0);
    EXPECT_EQ(virtualKeyForKeysym(XK_dead_acute), 0);
    EXPECT_EQ(virtualKeyForKeysym(XK_F24 + 1), 0);
    EXPECT_EQ(virtualKeyForKeysym(XK_eacute), 0);
}

}  // namespace
}  // namespace vorlune
