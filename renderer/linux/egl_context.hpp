#pragma once

#include <string>

struct wl_display;
struct wl_egl_window;

namespace vorlune {

// One OpenGL context for every surface of a Wayland connection, through EGL
// on that connection: the scene's texture lives in it once, and each surface
// is made current in turn to draw on. The config keeps an alpha channel (held
// at 1, the scene is opaque): a compositor shows an ARGB buffer of a layer
// surface far cheaper than an XRGB one. Throws WaylandError naming the EGL call
// that failed and EGL's error.
class EglContext {
  public:
    explicit EglContext(wl_display* display);
    ~EglContext();
    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;

    // A window surface over the EGL window, never throttled to the display:
    // the frame loop waits for the compositor's frame callbacks itself, so no
    // swap ever blocks the other surfaces.
    void* createSurface(wl_egl_window* window);
    // Never throws: it runs in destructors, where EGL's complaints about a
    // surface it no longer shows have nowhere to go.
    void destroySurface(void* surface) noexcept;

    void makeCurrent(void* surface);
    // Shows what was drawn (this commits the surface). Empty, or what
    // failed: "eglSwapBuffers failed: EGL_BAD_...".
    std::string swapBuffers(void* surface);

  private:
    void* display_ = nullptr;
    void* config_ = nullptr;
    void* context_ = nullptr;
};

}  // namespace vorlune
