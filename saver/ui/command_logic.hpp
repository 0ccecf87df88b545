#pragma once

#include <cstdint>

// The push button's behaviour without a window: which state it is in, which
// face to paint after each event and whether to raise Click. The Win32
// control feeds it events and paints what it answers.
namespace vorlune::ui {

// The six state pictures of the face; None: paint nothing.
enum class Face : std::uint8_t {
    None,
    Normal,
    HighLight,
    HighLightSelect,
    Selected,
    Pressed,
    Disable
};

enum class MouseButton : std::uint8_t { Left, Right, Middle };

// Focus and hover. NotArmed until Initialize.
enum class ButtonState : std::uint8_t {
    NotArmed = 0,
    Normal = 1,           // no focus, mouse elsewhere
    HighLight = 2,        // no focus, mouse over
    Selected = 3,         // focus, mouse elsewhere
    HighLightSelect = 4,  // focus, mouse over
};

struct Release {
    Face face = Face::None;
    bool click = false;
};

class CommandLogic {
  public:
    ButtonState State() const { return state_; }
    bool Enabled() const { return enabled_; }
    std::uint8_t FirstRun() const { return firstRun_; }
    bool LeftButtonHeld() const { return leftHeld_; }

    void SetEnabled(bool enabled) { enabled_ = enabled; }
    void SetFirstRun(std::uint8_t firstRun) { firstRun_ = firstRun; }

    // Arms the button: state Normal. The caller starts the 100 ms timer.
    void Initialize();

    // Events, each answering the face to paint (None for none).
    Face MouseMove();
    Face TimerTick(bool cursorOverControl);
    Face GotFocus();
    Face LostFocus();
    Face MouseDown(MouseButton button);
    Release MouseUp(MouseButton button);

    // Step 1 of painting a face: the gradient direction for the current
    // state (Normal and Selected upright, HighLight inverted, others keep
    // it). Returns the direction to paint with.
    bool UpdateGradientDirection();

  private:
    ButtonState state_ = ButtonState::NotArmed;
    bool enabled_ = false;
    std::uint8_t firstRun_ = 0;
    bool inverted_ = false;
    bool leftHeld_ = false;
};

}  // namespace vorlune::ui
