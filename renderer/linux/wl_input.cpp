#include "linux/wl_input.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include "frame/key_states.hpp"
#include "linux/keys.hpp"
#include "linux/wl_surface.hpp"

namespace vorlune {

namespace {

// Wayland sends evdev key codes; XKB numbers them from 8.
constexpr std::uint32_t kEvdevToXkb = 8;

}  // namespace

const wl_seat_listener WlSeat::kSeatListener = {
    [](void* data, wl_seat*, std::uint32_t capabilities) {
        static_cast<WlSeat*>(data)->capabilities(capabilities);
    },
    ignoreEvent<wl_seat*, const char*>,
};

const wl_keyboard_listener WlSeat::kKeyboardListener = {
    [](void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size) {
        static_cast<WlSeat*>(data)->keymap(format, fd, size);
    },
    // A key held as the surface gets the keyboard is often known only from
    // here: it counts as held.
    [](void* data, wl_keyboard*, std::uint32_t, wl_surface*, wl_array* keys) {
        auto* self = static_cast<WlSeat*>(data);
        const auto* key = static_cast<const std::uint32_t*>(keys->data);
        for (std::size_t i = 0; i < keys->size / sizeof *key; ++i) self->key(key[i], true);
    },
    // Keys released elsewhere would stay down here for good.
    [](void*, wl_keyboard*, std::uint32_t, wl_surface*) { keyStates.fill(0); },
    [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
       std::uint32_t state) {
        static_cast<WlSeat*>(data)->key(key, state == WL_KEYBOARD_KEY_STATE_PRESSED);
    },
    [](void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t latched,
       std::uint32_t locked, std::uint32_t group) {
        auto* self = static_cast<WlSeat*>(data);
        if (self->state_ != nullptr) {
            xkb_state_update_mask(self->state_, depressed, latched, locked, 0, 0, group);
        }
    },
    ignoreEvent<wl_keyboard*, std::int32_t, std::int32_t>,
};

const wl_pointer_listener WlSeat::kPointerListener = {
    [](void*, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, wl_fixed_t,
       wl_fixed_t) {
        // Over a title bar's parts, libdecor picks the cursor.
        const SceneSurface* scene = surface != nullptr ? SceneSurface::of(surface) : nullptr;
        if (scene != nullptr && scene->hidesCursor()) {
            wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);
        }
    },
    ignoreEvent<wl_pointer*, std::uint32_t, wl_surface*>,
    ignoreEvent<wl_pointer*, std::uint32_t, wl_fixed_t, wl_fixed_t>,
    ignoreEvent<wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>,
    ignoreEvent<wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t>,
    ignoreEvent<wl_pointer*>,
    ignoreEvent<wl_pointer*, std::uint32_t>,
    ignoreEvent<wl_pointer*, std::uint32_t, std::uint32_t>,
    ignoreEvent<wl_pointer*, std::uint32_t, std::int32_t>,
    ignoreEvent<wl_pointer*, std::uint32_t, std::int32_t>,
};

WlSeat::WlSeat(wl_seat* seat, std::uint32_t globalName, xkb_context* keymaps)
    : seat_(seat), globalName_(globalName), keymaps_(keymaps) {
    wl_seat_add_listener(seat_, &kSeatListener, this);
}

WlSeat::~WlSeat() {
    releaseKeyboard();
    releasePointer();
    if (wl_seat_get_version(seat_) >= WL_SEAT_RELEASE_SINCE_VERSION) {
        wl_seat_release(seat_);
    } else {
        wl_seat_destroy(seat_);
    }
}

void WlSeat::capabilities(std::uint32_t capabilities) {
    const bool keyboard = (capabilities & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    if (keyboard && keyboard_ == nullptr) {
        keyboard_ = wl_seat_get_keyboard(seat_);
        wl_keyboard_add_listener(keyboard_, &kKeyboardListener, this);
    } else if (!keyboard && keyboard_ != nullptr) {
        releaseKeyboard();
    }
    const bool pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
    if (pointer && pointer_ == nullptr) {
        pointer_ = wl_seat_get_pointer(seat_);
        wl_pointer_add_listener(pointer_, &kPointerListener, this);
    } else if (!pointer && pointer_ != nullptr) {
        releasePointer();
    }
}

void WlSeat::keymap(std::uint32_t format, int fd, std::uint32_t size) {
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1 && size > 0) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            // The text ends in a NUL within the size the compositor gives.
            xkb_keymap* keymap =
                xkb_keymap_new_from_string(keymaps_, static_cast<const char*>(text),
                                           XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
            munmap(text, size);
            if (keymap != nullptr) {
                if (state_ != nullptr) xkb_state_unref(state_);
                if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
                keymap_ = keymap;
                state_ = xkb_state_new(keymap_);
            }
        }
    }
    close(fd);
}

void WlSeat::key(std::uint32_t key, bool down) {
    if (keymap_ == nullptr || state_ == nullptr) return;
    // By the key's own, unshifted symbol, as on X11: Shift+A is still A.
    const xkb_keycode_t code = key + kEvdevToXkb;
    const xkb_keysym_t* symbols = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(
        keymap_, code, xkb_state_key_get_layout(state_, code), 0, &symbols);
    if (count < 1) return;
    const std::uint8_t virtualKey = virtualKeyForKeysym(symbols[0]);
    if (virtualKey != 0) keyStates[virtualKey] = down ? 1 : 0;
}

void WlSeat::releaseKeyboard() {
    // A keyboard that goes takes its held keys with it.
    keyStates.fill(0);
    if (keyboard_ != nullptr) {
        if (wl_keyboard_get_version(keyboard_) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) {
            wl_keyboard_release(keyboard_);
        } else {
            wl_keyboard_destroy(keyboard_);
        }
        keyboard_ = nullptr;
    }
    if (state_ != nullptr) xkb_state_unref(state_);
    if (keymap_ != nullptr) xkb_keymap_unref(keymap_);
    state_ = nullptr;
    keymap_ = nullptr;
}

void WlSeat::releasePointer() {
    if (pointer_ == nullptr) return;
    if (wl_pointer_get_version(pointer_) >= WL_POINTER_RELEASE_SINCE_VERSION) {
        wl_pointer_release(pointer_);
    } else {
        wl_pointer_destroy(pointer_);
    }
    pointer_ = nullptr;
}

}  // namespace vorlune
