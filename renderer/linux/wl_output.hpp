#pragma once

#include <cstdint>
#include <string>

#include "linux/wl_globals.hpp"

namespace vorlune {

// One output as the compositor describes it: all the front end knows of an
// output is kept here. Its proxy's user data is this object, so a surface can
// read the scale of an output it entered.
//
// Surfaces hold raw pointers to outputs: SceneSurface's own output and the
// wl_output proxies it entered. They stay valid because, short of the end of
// the connection (where the window and the roster's surfaces go first), an
// output is destroyed in one place only, the front end's global_remove: it
// has every surface forget the output first, and the roster then destroys the
// output's own surface before the output (an entry destroys its members in
// reverse). A surface must never outlive the roster entry it was made for.
struct WlOutput {
    explicit WlOutput(wl_output* output);
    ~WlOutput();
    WlOutput(const WlOutput&) = delete;
    WlOutput& operator=(const WlOutput&) = delete;

    // The output a proxy is, or null for one bound by someone else in this
    // process (libdecor binds the outputs too, and surfaces enter its proxies).
    static WlOutput* of(wl_output* output);

    wl_output* proxy;
    std::int32_t scale = 1;  // the integer buffer scale it asks for
    bool described = false;  // a first done event has come
    std::string name;        // its name event's (version 4), for the frame-rate lines
};

}  // namespace vorlune
