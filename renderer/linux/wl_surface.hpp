#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "linux/wl_globals.hpp"
#include "linux/wl_output.hpp"

struct wl_egl_window;
struct libdecor_frame;
struct libdecor_configuration;
struct libdecor_frame_interface;

namespace vorlune {

class EglContext;

enum class SurfaceRole {
    overlay,     // a layer surface above everything on one output, with the keyboard
    background,  // a layer surface under every window on one output, taking no input
    fullscreen,  // a toplevel made fullscreen on one output, where there is no layer shell
    window,      // a normal toplevel with a title bar, wherever the compositor puts it
};

// A surface the scene is drawn on. It is drawn at the real pixel size of
// where it is shown: its logical size times the output's integer scale, or
// the fractional scale the compositor prefers (with a viewport mapping the
// buffer back to the logical size). It takes a frame only after the
// compositor's callback for its last one, so a surface nobody sees costs
// nothing.
class SceneSurface {
  public:
    // For every role but window, `output` is where it is shown. `title` names
    // a toplevel. A window's title bar is the compositor's where it offers
    // to draw one (a decoration manager), and otherwise libdecor's.
    SceneSurface(const WlGlobals& globals, EglContext& egl, SurfaceRole role, WlOutput* output,
                 const char* title, std::int32_t width, std::int32_t height);
    ~SceneSurface();
    SceneSurface(const SceneSurface&) = delete;
    SceneSurface& operator=(const SceneSurface&) = delete;

    // The scene surface a wl_surface is, or null for one that is not ours
    // (a title bar's part, say).
    static SceneSurface* of(wl_surface* surface);

    // The compositor closed it; it shows nothing more.
    bool closed() const { return closed_; }
    // Configured, not closed, and its last frame's callback has come.
    bool canDraw() const { return configured_ && !closed_ && !framePending_; }
    bool hidesCursor() const { return role_ != SurfaceRole::window; }
    // True once after its size or scale changed.
    bool takeResized();

    // Draws one frame with `draw` at the surface's pixel size and shows it.
    // False when EGL would not show it: the surface is then closed, and
    // failure() says why.
    bool drawFrame(const std::function<void()>& draw);
    const std::string& failure() const { return failure_; }

    // An output's scale changed, or an output it was on goes away.
    void outputChanged();
    void forgetOutput(wl_output* output);

    // "WIDTHxHEIGHT" in pixels, as last drawn.
    std::string size() const;
    // The output's name, or "window".
    const std::string& name() const { return name_; }
    long frames() const { return frames_; }

  private:
    void configure(std::int32_t width, std::int32_t height);
    void decoratedConfigure(libdecor_configuration* configuration);
    std::int32_t integerScale() const;
    void release();

    static const wl_surface_listener kSurfaceListener;
    static const zwlr_layer_surface_v1_listener kLayerListener;
    static const xdg_surface_listener kXdgSurfaceListener;
    static const xdg_toplevel_listener kToplevelListener;
    static const wl_callback_listener kFrameListener;
    static const wp_fractional_scale_v1_listener kFractionalListener;
    static const zxdg_toplevel_decoration_v1_listener kDecorationListener;
    static libdecor_frame_interface kDecoratedFrameListener;

    EglContext& egl_;
    SurfaceRole role_;
    WlOutput* output_;
    wl_surface* surface_ = nullptr;
    zwlr_layer_surface_v1* layerSurface_ = nullptr;
    xdg_surface* xdgSurface_ = nullptr;
    xdg_toplevel* toplevel_ = nullptr;
    zxdg_toplevel_decoration_v1* decoration_ = nullptr;
    libdecor_frame* frame_ = nullptr;
    wp_viewport* viewport_ = nullptr;
    wp_fractional_scale_v1* fractionalScale_ = nullptr;
    wl_callback* frameCallback_ = nullptr;
    wl_egl_window* eglWindow_ = nullptr;
    void* eglSurface_ = nullptr;
    std::vector<wl_output*> entered_;
    std::string name_;
    std::string failure_;
    long frames_ = 0;

    // Logical size as configured, and what the compositor offered since.
    std::int32_t width_;
    std::int32_t height_;
    std::int32_t pendingWidth_ = 0;
    std::int32_t pendingHeight_ = 0;
    std::uint32_t preferredScale120_ = 0;  // the fractional scale, in 120ths; 0 until told
    // What the buffer was last made with.
    std::int32_t pixelWidth_ = 0;
    std::int32_t pixelHeight_ = 0;
    std::int32_t bufferScale_ = 1;
    // The viewport's destination, where a fractional scale has set one.
    std::int32_t destinationWidth_ = 0;
    std::int32_t destinationHeight_ = 0;
    bool configured_ = false;
    bool closed_ = false;
    bool framePending_ = false;
    bool resized_ = false;
};

}  // namespace vorlune
