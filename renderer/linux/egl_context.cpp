#include "linux/egl_context.hpp"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <wayland-egl.h>

#include <string>

#include "frame/egl_error.hpp"
#include "linux/wl_globals.hpp"

namespace vorlune {

namespace {

[[noreturn]] void fail(const std::string& call) {
    throw WaylandError(call + " failed: " + eglErrorName(eglGetError()));
}

}  // namespace

EglContext::EglContext(wl_display* display) {
    EGLDisplay egl = eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, display, nullptr);
    if (egl == EGL_NO_DISPLAY) fail("eglGetPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR)");
    if (!eglInitialize(egl, nullptr, nullptr)) fail("eglInitialize");
    display_ = egl;
    try {
        if (!eglBindAPI(EGL_OPENGL_API)) fail("eglBindAPI(EGL_OPENGL_API)");
        const EGLint attributes[] = {
            EGL_SURFACE_TYPE,
            EGL_WINDOW_BIT,
            EGL_RENDERABLE_TYPE,
            EGL_OPENGL_BIT,
            EGL_RED_SIZE,
            8,
            EGL_GREEN_SIZE,
            8,
            EGL_BLUE_SIZE,
            8,
            EGL_ALPHA_SIZE,
            8,
            EGL_DEPTH_SIZE,
            16,
            EGL_NONE,
        };
        EGLConfig config = nullptr;
        EGLint configs = 0;
        if (!eglChooseConfig(egl, attributes, &config, 1, &configs)) fail("eglChooseConfig");
        if (configs == 0) {
            throw WaylandError(
                "eglChooseConfig found no RGBA8 window config for OpenGL with a 16-bit depth "
                "buffer");
        }
        config_ = config;
        // The default context is a compatibility profile: immediate mode and GLU work.
        context_ = eglCreateContext(egl, config, EGL_NO_CONTEXT, nullptr);
        if (context_ == EGL_NO_CONTEXT) fail("eglCreateContext");
        // Current before any surface exists, so the scene can be built while
        // the compositor still describes its outputs.
        makeCurrent(nullptr);
    } catch (...) {
        if (context_ != nullptr) eglDestroyContext(egl, context_);
        eglTerminate(egl);
        throw;
    }
}

EglContext::~EglContext() {
    eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display_, context_);
    eglTerminate(display_);
}

void* EglContext::createSurface(wl_egl_window* window) {
    EGLSurface surface = eglCreateWindowSurface(
        display_, config_, reinterpret_cast<EGLNativeWindowType>(window), nullptr);
    if (surface == EGL_NO_SURFACE) fail("eglCreateWindowSurface");
    makeCurrent(surface);
    // The interval belongs to the surface current when it is set.
    if (!eglSwapInterval(display_, 0)) {
        eglDestroySurface(display_, surface);
        fail("eglSwapInterval(0)");
    }
    return surface;
}

void EglContext::destroySurface(void* surface) noexcept {
    if (eglGetCurrentSurface(EGL_DRAW) == surface) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, context_);
    }
    eglDestroySurface(display_, surface);
}

void EglContext::makeCurrent(void* surface) {
    EGLSurface draw = surface != nullptr ? surface : EGL_NO_SURFACE;
    if (!eglMakeCurrent(display_, draw, draw, context_)) {
        fail(surface != nullptr ? "eglMakeCurrent" : "eglMakeCurrent without a surface");
    }
}

std::string EglContext::swapBuffers(void* surface) {
    if (eglSwapBuffers(display_, surface) == EGL_TRUE) return {};
    return std::string("eglSwapBuffers failed: ") + eglErrorName(eglGetError());
}

}  // namespace vorlune
