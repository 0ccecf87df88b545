#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ui/command_logic.hpp"
#include "ui/face_geometry.hpp"
#include "ui/property_bag.hpp"

namespace vorlune::ui {
namespace {

// clang-format off
enum class Event { Init, Move, TickAway, TickOver, Focus, Blur,
                   LeftDown, RightDown, LeftUp, RightUp };

Release Apply(CommandLogic& logic, Event event) {
    switch (event) {
        case Event::Init: logic.Initialize(); return {};
        case Event::Move: return {logic.MouseMove()};
        case Event::TickAway: return {logic.TimerTick(false)};
        case Event::TickOver: return {logic.TimerTick(true)};
        case Event::Focus: return {logic.GotFocus()};
        case Event::Blur: return {logic.LostFocus()};
        case Event::LeftDown: return {logic.MouseDown(MouseButton::Left)};
        case Event::RightDown: return {logic.MouseDown(MouseButton::Right)};
        case Event::LeftUp: return logic.MouseUp(MouseButton::Left);
        case Event::RightUp: return logic.MouseUp(MouseButton::Right);
    }
    // clang-format on
    return {};
}

struct Step {
    Event event;
    Face face;
    ButtonState state;
    bool click = false;
};

// Applies the steps to logic, checking each answer and the state after it.
void Expect(CommandLogic& logic, const std::vector<Step>& steps) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Release answer = Apply(logic, steps[i].event);
        EXPECT_EQ(answer.face, steps[i].face) << "step " << i;
        EXPECT_EQ(logic.State(), steps[i].state) << "step " << i;
        EXPECT_EQ(answer.click, steps[i].click) << "step " << i;
    }
}

CommandLogic EnabledButton() {
    CommandLogic logic;
    logic.SetEnabled(true);
    return logic;
}

using enum Event;
using F = Face;
using S = ButtonState;

TEST(CommandLogic, FollowsHoverFocusAndButtons) {
    CommandLogic early = EnabledButton();  // focus works before Initialize, hover does not
    // clang-format off
    Expect(early, {{Move, F::None, S::NotArmed}, {Focus, F::Selected, S::Selected},
                   {Blur, F::Normal, S::Normal}});

    CommandLogic logic = EnabledButton();
    Expect(logic, {
        {Init, F::None, S::Normal}, {Move, F::HighLight, S::HighLight},
        {Move, F::None, S::HighLight}, {TickOver, F::None, S::HighLight},
        {TickAway, F::Normal, S::Normal}, {TickAway, F::None, S::Normal},
        {Move, F::HighLight, S::HighLight}, {Focus, F::Pressed, S::HighLightSelect},
        {TickAway, F::Selected, S::Selected}, {LeftDown, F::Pressed, S::Selected},
        {Move, F::None, S::Selected},  // the held button keeps the highlight off
        {LeftUp, F::None, S::Selected}, {Move, F::HighLightSelect, S::HighLightSelect},
        {LeftDown, F::Pressed, S::HighLightSelect},
        {LeftUp, F::HighLightSelect, S::HighLightSelect, true},
        {Blur, F::Normal, S::Normal}, {Blur, F::None, S::Normal},
        {Move, F::HighLight, S::HighLight}, {LeftUp, F::Normal, S::HighLight, true}});
    // clang-format on
    EXPECT_FALSE(logic.LeftButtonHeld());
}

TEST(CommandLogic, ClicksOnlyOnReleasesOverIt) {
    // clang-format off
    CommandLogic dragged = EnabledButton();  // pressed, dragged off, noticed, released
    Expect(dragged, {
        {Init, F::None, S::Normal}, {Move, F::HighLight, S::HighLight},
        {Focus, F::Pressed, S::HighLightSelect}, {LeftDown, F::Pressed, S::HighLightSelect},
        {TickAway, F::Selected, S::Selected}, {LeftUp, F::None, S::Selected, false}});

    CommandLogic right = EnabledButton();  // paints nothing, holds nothing, clicks
    Expect(right, {
        {Init, F::None, S::Normal}, {Move, F::HighLight, S::HighLight},
        {RightDown, F::None, S::HighLight}, {RightUp, F::None, S::HighLight, true},
        {Focus, F::Pressed, S::HighLightSelect}, {RightUp, F::None, S::HighLightSelect, true}});
    EXPECT_FALSE(right.LeftButtonHeld());

    CommandLogic disabled;  // changes nothing, paints nothing, never clicks
    Expect(disabled, {
        {Init, F::None, S::Normal}, {Move, F::None, S::Normal},
        {Focus, F::None, S::Normal}, {LeftDown, F::None, S::Normal},
        {LeftUp, F::None, S::Normal, false}, {RightUp, F::None, S::Normal, false}});
    disabled.SetEnabled(true);
    Expect(disabled, {{Move, F::HighLight, S::HighLight}});
    disabled.SetEnabled(false);
    Expect(disabled, {{TickAway, F::None, S::HighLight}, {Blur, F::None, S::HighLight}});
    // clang-format on
}

TEST(CommandLogic, GradientDirection) {
    CommandLogic logic = EnabledButton();
    const std::vector<std::pair<Event, bool>> steps = {
        {Init, false},     {Move, true},  {Focus, true},  // HighLightSelect keeps it
        {TickAway, false}, {Move, false}, {Blur, false}, {Move, true}};
    for (const auto& [event, inverted] : steps) {
        Apply(logic, event);
        EXPECT_EQ(logic.UpdateGradientDirection(), inverted) << static_cast<int>(logic.State());
    }
}

TEST(FaceGeometry, SlicesFrameThePictureAroundTheControl) {
    // clang-format off
    const TwipRect sources[8] = {
        {0, 0, 60, 60}, {60, 0, 840, 60}, {900, 0, 60, 60}, {900, 60, 60, 255},
        {900, 315, 60, 60}, {60, 315, 840, 60}, {0, 315, 60, 60}, {0, 60, 60, 255}};
    const TwipRect destinations[8] = {
        {0, 0, 60, 60}, {60, 0, 1035, 60}, {1095, 0, 60, 60}, {1095, 60, 60, 255},
        {1095, 315, 60, 60}, {60, 315, 1035, 60}, {0, 315, 60, 60}, {0, 60, 60, 255}};
    // clang-format on
    const auto slices = FaceSlices(1155, 375);
    for (std::size_t i = 0; i < slices.size(); ++i) {
        EXPECT_EQ(slices[i].source, sources[i]) << "slice " << i;
        EXPECT_EQ(slices[i].destination, destinations[i]) << "slice " << i;
    }
    // under two corners: the edges shrink to nothing and the corners overlap
    const auto small = FaceSlices(90, 100);
    EXPECT_EQ(small[1].destination, (TwipRect{60, 0, 0, 60}));
    EXPECT_EQ(small[4].destination, (TwipRect{30, 40, 60, 60}));
    EXPECT_EQ(small[7].destination, (TwipRect{0, 60, 60, 0}));
}

TEST(FaceGeometry, CaptionAndGradient) {
    EXPECT_EQ(CaptionTop(315, 196), 49);  // halves drop
    EXPECT_EQ(CaptionTop(10, 41), -25);   // toward zero, not down
    const GradientColour white{0xFF00, 0xFF00, 0xFF00}, lavender{0xC600, 0xC500, 0xD700};
    EXPECT_EQ(FaceGradientColours(false).top, white);
    EXPECT_EQ(FaceGradientColours(false).bottom, lavender);
    EXPECT_EQ(FaceGradientColours(true).top, lavender);
    EXPECT_EQ(FaceGradientColours(true).bottom, white);
}

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

    const std::pair<const char*, bool> booleans[] = {
        {"-1", true}, {"1", true}, {"TRUE", true}, {"0", false}, {"false", false}};
    for (const auto& [text, enabled] : booleans) {
        bag.Write("enabled", text, "");
        EXPECT_EQ(ReadCommandProperties(bag, kAmbient).enabled, enabled) << text;
    }
    for (const char* text : {"-1", " 2", "2.0", ""}) {
        bag.Write("firstrun", text, "1");
        EXPECT_EQ(ReadCommandProperties(bag, kAmbient).firstRun, 1) << text;
    }
    bag.Write("Visible", "-32768", "1");
    EXPECT_EQ(ReadCommandProperties(bag, kAmbient).visible, -32768);
}

TEST(FontText, RoundTripsAndRejectsWhatIsNotAFont) {
    EXPECT_EQ(FormatFont({"Arial", 9.75, 128, true, false, true}), "Arial;9.75;128;1;0;1");
    // a name with the separator in it; points in the shortest text that reads back
    for (const FontDescription& font : {FontDescription{"A;B;1;2", 9.75, 128, true, true, false},
                                        FontDescription{"Tiny", 0.1, 255, false, false, true}})
        EXPECT_EQ(ParseFont(FormatFont(font)), font) << FormatFont(font);
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
