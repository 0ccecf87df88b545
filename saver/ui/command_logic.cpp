#include "ui/command_logic.hpp"

namespace vorlune::ui {

void CommandLogic::Initialize() {
    state_ = ButtonState::Normal;
}

Face CommandLogic::MouseMove() {
    if (!enabled_) return Face::None;
    if (state_ == ButtonState::Normal) {
        state_ = ButtonState::HighLight;
        return Face::HighLight;
    }
    if (state_ == ButtonState::Selected && !leftHeld_) {
        state_ = ButtonState::HighLightSelect;
        return Face::HighLightSelect;
    }
    return Face::None;
}

Face CommandLogic::TimerTick(bool cursorOverControl) {
    if (!enabled_ || cursorOverControl) return Face::None;
    if (state_ == ButtonState::HighLight) {
        state_ = ButtonState::Normal;
        return Face::Normal;
    }
    if (state_ == ButtonState::HighLightSelect) {
        state_ = ButtonState::Selected;
        return Face::Selected;
    }
    return Face::None;
}

Face CommandLogic::GotFocus() {
    if (!enabled_) return Face::None;
    if (state_ == ButtonState::HighLight) {
        state_ = ButtonState::HighLightSelect;
        return Face::Pressed;
    }
    state_ = ButtonState::Selected;
    return Face::Selected;
}

Face CommandLogic::LostFocus() {
    if (!enabled_ || state_ == ButtonState::Normal) return Face::None;
    state_ = ButtonState::Normal;
    return Face::Normal;
}

Face CommandLogic::MouseDown(MouseButton button) {
    if (!enabled_ || button != MouseButton::Left) return Face::None;
    leftHeld_ = true;
    return Face::Pressed;
}

Release CommandLogic::MouseUp(MouseButton button) {
    Release release;
    if (!enabled_) return release;
    if (button == MouseButton::Left) {
        leftHeld_ = false;
        if (state_ == ButtonState::HighLight) release.face = Face::Normal;
        if (state_ == ButtonState::HighLightSelect) release.face = Face::HighLightSelect;
    }
    // Any release over the control clicks, unless it has the focus with the
    // mouse elsewhere.
    release.click = state_ != ButtonState::Selected;
    return release;
}

bool CommandLogic::UpdateGradientDirection() {
    if (state_ == ButtonState::Normal || state_ == ButtonState::Selected) inverted_ = false;
    if (state_ == ButtonState::HighLight) inverted_ = true;
    return inverted_;
}

}  // namespace vorlune::ui
