// Keys and pointer input on KWin, which offers no virtual-keyboard protocol
// but its own fake-input one:
//   kwin_fake_input key CODE SECONDS   a key (an evdev code: Escape is 1) held that long
//   kwin_fake_input click X Y          the left button at that point (logical pixels)
// KWin serves the protocol only to programs a .desktop file names, so the
// script that runs this writes one. Exit code 0 done, 1 failed, 2 bad usage.
#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "fake-input-client-protocol.h"

namespace {

struct Globals {
    org_kde_kwin_fake_input* input = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
            uint32_t version) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0 && version >= 4) {
        static_cast<Globals*>(data)->input = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
    }
}
void globalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener registryListener{global, globalRemove};

bool flush(wl_display* display) {
    // A round trip, so the compositor has handled each step before the next.
    if (wl_display_roundtrip(display) >= 0) return true;
    std::fprintf(stderr, "kwin_fake_input: wl_display_roundtrip failed: %s\n",
                 std::strerror(wl_display_get_error(display)));
    return false;
}

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

}  // namespace

int main(int argc, char** argv) {
    const std::string action = argc == 4 ? argv[1] : "";
    if (action != "key" && action != "click") {
        std::fprintf(stderr, "usage: kwin_fake_input key CODE SECONDS | click X Y\n");
        return 2;
    }
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "kwin_fake_input: wl_display_connect failed: %s\n",
                     std::strerror(errno));
        return 1;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    if (!flush(display)) return 1;
    if (globals.input == nullptr) {
        std::fprintf(stderr,
                     "kwin_fake_input: the compositor offers no org_kde_kwin_fake_input v4\n");
        return 1;
    }
    org_kde_kwin_fake_input_authenticate(globals.input, "vorlune tests", "input for the tests");
    bool done = flush(display);
    if (done && action == "key") {
        const auto code = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 0));
        org_kde_kwin_fake_input_keyboard_key(globals.input, code, WL_KEYBOARD_KEY_STATE_PRESSED);
        done = flush(display);
        pause(std::strtod(argv[3], nullptr));
        org_kde_kwin_fake_input_keyboard_key(globals.input, code, WL_KEYBOARD_KEY_STATE_RELEASED);
    } else if (done) {
        org_kde_kwin_fake_input_pointer_motion_absolute(
            globals.input, wl_fixed_from_double(std::strtod(argv[2], nullptr)),
            wl_fixed_from_double(std::strtod(argv[3], nullptr)));
        done = flush(display);
        pause(0.1);
        org_kde_kwin_fake_input_button(globals.input, BTN_LEFT, WL_POINTER_BUTTON_STATE_PRESSED);
        done = done && flush(display);
        pause(0.1);
        org_kde_kwin_fake_input_button(globals.input, BTN_LEFT, WL_POINTER_BUTTON_STATE_RELEASED);
    }
    done = flush(display) && done;
    org_kde_kwin_fake_input_destroy(globals.input);
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return done ? 0 : 1;
}
