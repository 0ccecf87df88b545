#include "ui/property_bag.hpp"

#include <gtest/gtest.h>

#include <utility>

namespace vorlune::ui {
namespace {

const FontDescription kAmbient{"MS Sans Serif", 8.25, 0, false, false, false};

TEST(CommandProperties, DefaultsAreNotStoredAndReadBackAsReadingDefaults) {
    const CommandProperties defaults{true, "Command", kAmbient, 1, 0, 1};
    PropertyBag bag;
    WriteCommandProperties(bag, defaults, kAmbient);
    EXPECT_TRUE(bag.Empty());
    CommandProperties expected = defaults;
    expected.caption = "Command1";
    EXPECT_EQ(ReadCommandProperties(bag, kAmbient), expected);

    // Every other value is stored and read back; defaults written later remove them.
    const CommandProperties changed{false, "OK",     {"Arial", 12, 0, true, false, true},
                                    0,     0xFF8000, 0};
    WriteCommandProperties(bag, changed, kAmbient);
    EXPECT_EQ(bag.Size(), 6u);
    EXPECT_EQ(ReadCommandProperties(bag, kAmbient), changed);
    EXPECT_EQ(bag.Read("enabled"), "False");
    EXPECT_EQ(bag.Read("FONTCOLOUR"), "16744448");
    WriteCommandProperties(bag, defaults, kAmbient);
    EXPECT_TRUE(bag.Empty());
}

TEST(CommandProperties, UnreadableValuesTakeTheReadingDefaults) {
    PropertyBag bag;
    bag.Write("ENABLED", "maybe", "");
    bag.Write("font", "Arial;nan;0;0;0;0", "");
    bag.Write("FirstRun", "256", "");
    bag.Write("FontColour", "4294967296", "");
    bag.Write("Visible", "40000", "");
    EXPECT_EQ(ReadCommandProperties(bag, kAmbient), (CommandProperties{.font = kAmbient}));

    const std::pair<const char*, bool> booleans[] = {{"-1", true},     {"1", true},
                                                     {"TRUE", true},   {"0", false},
                                                     {"false", false}, {"FALSE", false}};
    for (const auto& [text, enabled] : booleans) {
        bag.Write("enabled", text, "");
        EXPECT_EQ(ReadCommandProperties(bag, kAmbient).enabled, enabled) << text;
    }
    for (const char* text : {"-1", "x", " 2", "2.0", ""}) {
        bag.Write("firstrun", text, "1");
        EXPECT_EQ(ReadCommandProperties(bag, kAmbient).firstRun, 1) << text;
    }
    bag.Write("Visible", "-32768", "1");
    EXPECT_EQ(ReadCommandProperties(bag, kAmbient).visible, -32768);
}

TEST(FontText, RoundTripsAndRejectsWhatIsNotAFont) {
    EXPECT_EQ(FormatFont({"Arial", 9.75, 128, true, false, true}), "Arial;9.75;128;1;0;1");
    const FontDescription fonts[] = {
        kAmbient,
        {"A;B;1;2", 9.75, 128, true, true, false},
        {"\uff2d\uff33 \uff30\u30b4\u30b7\u30c3\u30af", 9, 128, false, true, true},
        {"Tiny", 0.1, 255, false, false, false}};
    EXPECT_EQ(fonts[2].name.substr(0, 2), "\x82\x6c");  // code page 932
    for (const FontDescription& font : fonts) {
        const auto back = ParseFont(FormatFont(font));
        ASSERT_TRUE(back.has_value()) << FormatFont(font);
        EXPECT_EQ(*back, font) << FormatFont(font);
    }
    // clang-format off
    const char* bad[] = {"", "Arial", "Arial;9;0;0;0", "9;0;0;0;0", "Arial;9;0;0;0;2",
        "Arial;9;256;0;0;0", "Arial;9;-1;0;0;0", "Arial;x;0;0;0;0", "Arial;0;0;0;0;0",
        "Arial;-9;0;0;0;0", "Arial;inf;0;0;0;0", "Arial;2049;0;0;0;0", "Arial;9 ;0;0;0;0",
        "Arial;9;0;0;0;"};
    // clang-format on
    for (const char* text : bad) EXPECT_FALSE(ParseFont(text).has_value()) << text;
}

}  // namespace
}  // namespace vorlune::ui
