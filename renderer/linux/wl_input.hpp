#pragma once

#include <xkbcommon/xkbcommon.h>

#include <cstdint>

#include "linux/wl_globals.hpp"

namespace vorlune {

// One seat's keyboard and pointer, bound while the seat has them (a virtual
// keyboard comes and goes with each program that types). Keys go into
// keyStates by their keysym, read through the seat's keymap; the pointer's
// cursor is hidden over the surfaces that hide it.
class WlSeat {
  public:
    WlSeat(wl_seat* seat, std::uint32_t globalName, xkb_context* keymaps);
    ~WlSeat();
    WlSeat(const WlSeat&) = delete;
    WlSeat& operator=(const WlSeat&) = delete;

    std::uint32_t globalName() const { return globalName_; }

  private:
    void capabilities(std::uint32_t capabilities);
    void keymap(std::uint32_t format, int fd, std::uint32_t size);
    void key(std::uint32_t key, bool down);
    void releaseKeyboard();
    void releasePointer();

    static const wl_seat_listener kSeatListener;
    static const wl_keyboard_listener kKeyboardListener;
    static const wl_pointer_listener kPointerListener;

    wl_seat* seat_;
    std::uint32_t globalName_;
    xkb_context* keymaps_;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
};

}  // namespace vorlune
