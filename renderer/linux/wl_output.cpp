#include "linux/wl_output.hpp"

#include <algorithm>

namespace vorlune {

namespace {

const wl_output_listener kOutputListener = {
    ignoreEvent<wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                const char*, const char*, std::int32_t>,
    ignoreEvent<wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t>,
    [](void* data, wl_output*) { static_cast<WlOutput*>(data)->described = true; },
    [](void* data, wl_output*, std::int32_t scale) {
        static_cast<WlOutput*>(data)->scale = std::max(scale, 1);
    },
    [](void* data, wl_output*, const char* name) { static_cast<WlOutput*>(data)->name = name; },
    ignoreEvent<wl_output*, const char*>,
};

}  // namespace

WlOutput::WlOutput(wl_output* output) : proxy(output) {
    wl_output_add_listener(proxy, &kOutputListener, this);
    // Before version 2 an output has no done event: what it says comes at once.
    if (wl_output_get_version(proxy) < WL_OUTPUT_DONE_SINCE_VERSION) described = true;
}

WlOutput* WlOutput::of(wl_output* output) {
    if (wl_proxy_get_listener(reinterpret_cast<wl_proxy*>(output)) != &kOutputListener) {
        return nullptr;
    }
    return static_cast<WlOutput*>(wl_output_get_user_data(output));
}

WlOutput::~WlOutput() {
    if (wl_output_get_version(proxy) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
        wl_output_release(proxy);
    } else {
        wl_output_destroy(proxy);
    }
}

}  // namespace vorlune
