#include "linux/wl_surface.hpp"

#include <libdecor.h>
#include <wayland-egl.h>

#include <algorithm>
#include <climits>

#include "frame/viewport.hpp"
#include "linux/egl_context.hpp"

namespace vorlune {

namespace {

constexpr std::uint32_t kAllEdges =
    ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
    ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

// Layer-shell keyboard interactivity; version 4's "exclusive" is the 1 that
// earlier versions took as true.
constexpr std::uint32_t kNoKeyboard = 0;
constexpr std::uint32_t kExclusiveKeyboard = 1;

void setRegion(wl_compositor* compositor, wl_surface* surface, bool whole, bool input) {
    wl_region* region = wl_compositor_create_region(compositor);
    if (whole) wl_region_add(region, 0, 0, INT32_MAX, INT32_MAX);
    if (input) {
        wl_surface_set_input_region(surface, region);
    } else {
        wl_surface_set_opaque_region(surface, region);
    }
    wl_region_destroy(region);
}

}  // namespace

const wl_surface_listener SceneSurface::kSurfaceListener = {
    [](void* data, wl_surface*, wl_output* output) {
        auto* self = static_cast<SceneSurface*>(data);
        if (output == nullptr || WlOutput::of(output) == nullptr) return;
        if (std::find(self->entered_.begin(), self->entered_.end(), output) ==
            self->entered_.end()) {
            self->entered_.push_back(output);
        }
        self->outputChanged();
    },
    [](void* data, wl_surface*, wl_output* output) {
        static_cast<SceneSurface*>(data)->forgetOutput(output);
    },
};

const zwlr_layer_surface_v1_listener SceneSurface::kLayerListener = {
    [](void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
       std::uint32_t height) {
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        static_cast<SceneSurface*>(data)->configure(static_cast<std::int32_t>(width),
                                                    static_cast<std::int32_t>(height));
    },
    [](void* data, zwlr_layer_surface_v1*) { static_cast<SceneSurface*>(data)->closed_ = true; },
};

const xdg_surface_listener SceneSurface::kXdgSurfaceListener = {
    [](void* data, xdg_surface* surface, std::uint32_t serial) {
        auto* self = static_cast<SceneSurface*>(data);
        xdg_surface_ack_configure(surface, serial);
        self->configure(self->pendingWidth_, self->pendingHeight_);
    },
};

const xdg_toplevel_listener SceneSurface::kToplevelListener = {
    [](void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*) {
        auto* self = static_cast<SceneSurface*>(data);
        self->pendingWidth_ = width;
        self->pendingHeight_ = height;
    },
    [](void* data, xdg_toplevel*) { static_cast<SceneSurface*>(data)->closed_ = true; },
    [](void*, xdg_toplevel*, std::int32_t, std::int32_t) {},
    [](void*, xdg_toplevel*, wl_array*) {},
};

const wl_callback_listener SceneSurface::kFrameListener = {
    [](void* data, wl_callback* callback, std::uint32_t) {
        auto* self = static_cast<SceneSurface*>(data);
        wl_callback_destroy(callback);
        self->frameCallback_ = nullptr;
        self->framePending_ = false;
    },
};

const wp_fractional_scale_v1_listener SceneSurface::kFractionalListener = {
    [](void* data, wp_fractional_scale_v1*, std::uint32_t scale) {
        auto* self = static_cast<SceneSurface*>(data);
        if (scale != self->preferredScale120_) {
            self->preferredScale120_ = scale;
            self->resized_ = true;
        }
    },
};

// The compositor picks the mode; whichever it is, the title bar is not ours
// to draw here.
const zxdg_toplevel_decoration_v1_listener SceneSurface::kDecorationListener = {
    ignoreEvent<zxdg_toplevel_decoration_v1*, std::uint32_t>,
};

libdecor_frame_interface SceneSurface::kDecoratedFrameListener = {
    [](libdecor_frame*, libdecor_configuration* configuration, void* data) {
        static_cast<SceneSurface*>(data)->decoratedConfigure(configuration);
    },
    [](libdecor_frame*, void* data) { static_cast<SceneSurface*>(data)->closed_ = true; },
    // The title bar is drawn in synchronised subsurfaces, shown with our commit.
    [](libdecor_frame*, void* data) {
        wl_surface_commit(static_cast<SceneSurface*>(data)->surface_);
    },
    [](libdecor_frame*, const char*, void*) {},
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

SceneSurface::SceneSurface(const WlGlobals& globals, EglContext& egl, SurfaceRole role,
                           WlOutput* output, const char* title, std::int32_t width,
                           std::int32_t height)
    : egl_(egl), role_(role), output_(output), width_(width), height_(height) {
    if (output_ == nullptr) {
        name_ = "window";
    } else {
        name_ = output_->name.empty() ? "output" : output_->name;
    }
    surface_ = wl_compositor_create_surface(globals.compositor);
    if (surface_ == nullptr) throw WaylandError("wl_compositor_create_surface failed");
    wl_surface_add_listener(surface_, &kSurfaceListener, this);
    // The scene covers every pixel: nothing beneath needs drawing.
    setRegion(globals.compositor, surface_, true, false);
    // A wallpaper lets every click through to whatever the compositor does there.
    if (role_ == SurfaceRole::background) setRegion(globals.compositor, surface_, false, true);
    if (globals.fractionalScale != nullptr && globals.viewporter != nullptr) {
        viewport_ = wp_viewporter_get_viewport(globals.viewporter, surface_);
        fractionalScale_ =
            wp_fractional_scale_manager_v1_get_fractional_scale(globals.fractionalScale, surface_);
        wp_fractional_scale_v1_add_listener(fractionalScale_, &kFractionalListener, this);
    }

    switch (role_) {
        case SurfaceRole::overlay:
        case SurfaceRole::background: {
            const bool overlay = role_ == SurfaceRole::overlay;
            layerSurface_ = zwlr_layer_shell_v1_get_layer_surface(
                globals.layerShell, surface_, output_->proxy,
                overlay ? ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY : ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND,
                "vorlune");
            zwlr_layer_surface_v1_add_listener(layerSurface_, &kLayerListener, this);
            // The whole output, over (or under) any panel's reserved edge.
            zwlr_layer_surface_v1_set_size(layerSurface_, 0, 0);
            zwlr_layer_surface_v1_set_anchor(layerSurface_, kAllEdges);
            zwlr_layer_surface_v1_set_exclusive_zone(layerSurface_, -1);
            zwlr_layer_surface_v1_set_keyboard_interactivity(
                layerSurface_, overlay ? kExclusiveKeyboard : kNoKeyboard);
            break;
        }
        case SurfaceRole::window:
            if (globals.decorationManager == nullptr && globals.decorations != nullptr) {
                frame_ = libdecor_decorate(globals.decorations, surface_, &kDecoratedFrameListener,
                                           this);
                if (frame_ == nullptr) throw WaylandError("libdecor_decorate failed");
                libdecor_frame_set_title(frame_, title);
                libdecor_frame_set_app_id(frame_, "vorlune");
                // Commits the surface, which asks for the first configure.
                libdecor_frame_map(frame_);
                return;
            }
            [[fallthrough]];
        case SurfaceRole::fullscreen:
            xdgSurface_ = xdg_wm_base_get_xdg_surface(globals.wmBase, surface_);
            xdg_surface_add_listener(xdgSurface_, &kXdgSurfaceListener, this);
            toplevel_ = xdg_surface_get_toplevel(xdgSurface_);
            xdg_toplevel_add_listener(toplevel_, &kToplevelListener, this);
            xdg_toplevel_set_title(toplevel_, title);
            xdg_toplevel_set_app_id(toplevel_, "vorlune");
            if (role_ == SurfaceRole::fullscreen) {
                xdg_toplevel_set_fullscreen(toplevel_, output_->proxy);
            } else if (globals.decorationManager != nullptr) {
                decoration_ = zxdg_decoration_manager_v1_get_toplevel_decoration(
                    globals.decorationManager, toplevel_);
                zxdg_toplevel_decoration_v1_add_listener(decoration_, &kDecorationListener, this);
                zxdg_toplevel_decoration_v1_set_mode(decoration_,
                                                     ZXDG_TOPLEVEL_DECORATION_V1_MODE_SERVER_SIDE);
            }
            break;
    }
    // The first commit, with no buffer, asks for the first configure.
    wl_surface_commit(surface_);
}

SceneSurface::~SceneSurface() {
    release();
}

void SceneSurface::release() {
    // Each object before the one it was made from.
    if (frameCallback_ != nullptr) wl_callback_destroy(frameCallback_);
    if (eglSurface_ != nullptr) egl_.destroySurface(eglSurface_);
    if (eglWindow_ != nullptr) wl_egl_window_destroy(eglWindow_);
    if (fractionalScale_ != nullptr) wp_fractional_scale_v1_destroy(fractionalScale_);
    if (viewport_ != nullptr) wp_viewport_destroy(viewport_);
    if (layerSurface_ != nullptr) zwlr_layer_surface_v1_destroy(layerSurface_);
    if (decoration_ != nullptr) zxdg_toplevel_decoration_v1_destroy(decoration_);
    if (frame_ != nullptr) libdecor_frame_unref(frame_);
    if (toplevel_ != nullptr) xdg_toplevel_destroy(toplevel_);
    if (xdgSurface_ != nullptr) xdg_surface_destroy(xdgSurface_);
    if (surface_ != nullptr) wl_surface_destroy(surface_);
    frameCallback_ = nullptr;
    frame_ = nullptr;
    eglSurface_ = nullptr;
    eglWindow_ = nullptr;
    surface_ = nullptr;
}

SceneSurface* SceneSurface::of(wl_surface* surface) {
    if (wl_proxy_get_listener(reinterpret_cast<wl_proxy*>(surface)) != &kSurfaceListener) {
        return nullptr;
    }
    return static_cast<SceneSurface*>(wl_surface_get_user_data(surface));
}

void SceneSurface::decoratedConfigure(libdecor_configuration* configuration) {
    int width = 0;
    int height = 0;
    // No size offered: the one we have, which the title bar is put around.
    if (!libdecor_configuration_get_content_size(configuration, frame_, &width, &height)) {
        width = width_;
        height = height_;
    }
    libdecor_state* state = libdecor_state_new(width, height);
    libdecor_frame_commit(frame_, state, configuration);
    libdecor_state_free(state);
    configure(width, height);
}

void SceneSurface::configure(std::int32_t width, std::int32_t height) {
    // 0 leaves the size to us: we keep the one we have.
    if (width > 0 && height > 0 && (width != width_ || height != height_)) {
        width_ = width;
        height_ = height;
        resized_ = true;
    }
    configured_ = true;
}

bool SceneSurface::takeResized() {
    const bool resized = resized_;
    resized_ = false;
    return resized;
}

std::int32_t SceneSurface::integerScale() const {
    // Before the compositor says where it shows us, the output we asked for.
    if (entered_.empty()) return output_ != nullptr ? output_->scale : 1;
    std::int32_t scale = 1;
    for (wl_output* output : entered_) scale = std::max(scale, WlOutput::of(output)->scale);
    return scale;
}

void SceneSurface::outputChanged() {
    if (preferredScale120_ == 0 && integerScale() != bufferScale_) resized_ = true;
}

void SceneSurface::forgetOutput(wl_output* output) {
    entered_.erase(std::remove(entered_.begin(), entered_.end(), output), entered_.end());
    if (output_ != nullptr && output_->proxy == output) output_ = nullptr;
    outputChanged();
}

bool SceneSurface::drawFrame(const std::function<void()>& draw) {
    std::int32_t pixelWidth = 0;
    std::int32_t pixelHeight = 0;
    std::int32_t bufferScale = 1;
    if (preferredScale120_ != 0) {
        // The buffer at the fractional scale, rounded half away from zero;
        // the viewport shows it at the logical size.
        const auto scaled = [this](std::int32_t logical) {
            return static_cast<std::int32_t>(
                (static_cast<std::int64_t>(logical) * preferredScale120_ + 60) / 120);
        };
        pixelWidth = scaled(width_);
        pixelHeight = scaled(height_);
    } else {
        bufferScale = integerScale();
        pixelWidth = width_ * bufferScale;
        pixelHeight = height_ * bufferScale;
    }

    // The new size before the context touches the buffer, which is then made at it.
    if (eglWindow_ == nullptr) {
        eglWindow_ = wl_egl_window_create(surface_, pixelWidth, pixelHeight);
        if (eglWindow_ == nullptr) throw WaylandError("wl_egl_window_create failed");
        eglSurface_ = egl_.createSurface(eglWindow_);
    } else if (pixelWidth != pixelWidth_ || pixelHeight != pixelHeight_) {
        wl_egl_window_resize(eglWindow_, pixelWidth, pixelHeight, 0, 0);
    }
    egl_.makeCurrent(eglSurface_);
    if (bufferScale != bufferScale_) wl_surface_set_buffer_scale(surface_, bufferScale);
    if (preferredScale120_ != 0 && (width_ != destinationWidth_ || height_ != destinationHeight_)) {
        wp_viewport_set_destination(viewport_, width_, height_);
        destinationWidth_ = width_;
        destinationHeight_ = height_;
    }
    pixelWidth_ = pixelWidth;
    pixelHeight_ = pixelHeight;
    bufferScale_ = bufferScale;

    // One context draws every surface: its viewport is this surface's now.
    resizeViewport(pixelWidth, pixelHeight);
    // The buffer has an alpha channel, and the scene leaves it at 1 wherever
    // it draws: the background is opaque and the shells' blending only adds.
    draw();
    frameCallback_ = wl_surface_frame(surface_);
    wl_callback_add_listener(frameCallback_, &kFrameListener, this);
    framePending_ = true;
    failure_ = egl_.swapBuffers(eglSurface_);
    if (!failure_.empty()) {
        // Nothing was committed, so the callback would never come: rather
        // than wait on it for good, the surface is given up.
        wl_callback_destroy(frameCallback_);
        frameCallback_ = nullptr;
        framePending_ = false;
        closed_ = true;
        return false;
    }
    ++frames_;
    return true;
}

std::string SceneSurface::size() const {
    return std::to_string(pixelWidth_) + "x" + std::to_string(pixelHeight_);
}

}  // namespace vorlune
