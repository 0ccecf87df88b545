#include "ui/command_logic.hpp"

#include <gtest/gtest.h>

#include <vector>

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

TEST(CommandLogic, GradientDirectionAndFreshInstance) {
    CommandLogic logic = EnabledButton();
    const std::vector<std::pair<Event, bool>> steps = {
        {Init, false},     {Move, true},  {Focus, true},  // HighLightSelect keeps it
        {TickAway, false}, {Move, false}, {Blur, false}, {Move, true}};
    for (const auto& [event, inverted] : steps) {
        Apply(logic, event);
        EXPECT_EQ(logic.UpdateGradientDirection(), inverted) << static_cast<int>(logic.State());
        EXPECT_EQ(logic.Inverted(), inverted);
    }

    CommandLogic fresh;  // first run 0: its first Enabled read enables it, only the first
    EXPECT_FALSE(fresh.Enabled());
    EXPECT_TRUE(fresh.CompleteFreshInstance());
    EXPECT_TRUE(fresh.Enabled());
    EXPECT_EQ(fresh.FirstRun(), 1);
    fresh.SetEnabled(false);
    EXPECT_FALSE(fresh.CompleteFreshInstance());
    EXPECT_FALSE(fresh.Enabled());
}

}  // namespace
}  // namespace vorlune::ui
