#include "frame/egl_offscreen.hpp"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <algorithm>
#include <stdexcept>
#include <string>

#include "frame/egl_error.hpp"
#include "gl/gl_headers.hpp"

namespace vorlune {

namespace {

[[noreturn]] void fail(const char* call) {
    throw std::runtime_error(std::string(call) + " failed: " + eglErrorName(eglGetError()));
}

}  // namespace

EglOffscreen::EglOffscreen(int width, int height) : width_(width), height_(height) {
    if (width < 1 || height < 1) throw std::invalid_argument("EglOffscreen: empty size");

    const auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (!getPlatformDisplay) fail("eglGetProcAddress(eglGetPlatformDisplayEXT)");
    EGLDisplay display =
        getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) fail("eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA)");
    if (!eglInitialize(display, nullptr, nullptr)) fail("eglInitialize");
    display_ = display;

    const EGLint configAttributes[] = {
        EGL_SURFACE_TYPE,
        EGL_PBUFFER_BIT,
        EGL_RENDERABLE_TYPE,
        EGL_OPENGL_BIT,
        EGL_RED_SIZE,
        8,
        EGL_GREEN_SIZE,
        8,
        EGL_BLUE_SIZE,
        8,
        EGL_DEPTH_SIZE,
        16,
        EGL_NONE,
    };
    EGLConfig config = nullptr;
    EGLint configs = 0;
    if (!eglChooseConfig(display, configAttributes, &config, 1, &configs)) fail("eglChooseConfig");
    if (configs == 0)
        throw std::runtime_error("eglChooseConfig: no RGB8 pbuffer config with depth");
    if (!eglBindAPI(EGL_OPENGL_API)) fail("eglBindAPI(EGL_OPENGL_API)");

    // No destructor runs for a constructor that throws: what was made goes here.
    try {
        const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
        surface_ = eglCreatePbufferSurface(display, config, surfaceAttributes);
        if (surface_ == EGL_NO_SURFACE) fail("eglCreatePbufferSurface");
        // The default context is a compatibility profile: immediate mode and GLU work.
        context_ = eglCreateContext(display, config, EGL_NO_CONTEXT, nullptr);
        if (context_ == EGL_NO_CONTEXT) fail("eglCreateContext");
        if (!eglMakeCurrent(display, surface_, surface_, context_)) fail("eglMakeCurrent");
    } catch (...) {
        release();
        throw;
    }
}

EglOffscreen::~EglOffscreen() {
    release();
}

void EglOffscreen::release() {
    if (!display_) return;
    // Another offscreen's context, current when ours failed to be, stays so.
    if (context_ && eglGetCurrentContext() == context_) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    if (context_) eglDestroyContext(display_, context_);
    if (surface_) eglDestroySurface(display_, surface_);
    // The display stays initialised for the next context: terminating it would
    // unload and reload the whole driver each time.
}

std::vector<std::uint8_t> EglOffscreen::readPixels() const {
    const auto rowBytes = static_cast<std::size_t>(width_) * 3;
    std::vector<std::uint8_t> bottomUp(rowBytes * static_cast<std::size_t>(height_));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<std::uint8_t> topDown(bottomUp.size());
    for (int y = 0; y < height_; ++y) {
        std::copy_n(bottomUp.begin() + static_cast<std::ptrdiff_t>(rowBytes * (height_ - 1 - y)),
                    rowBytes, topDown.begin() + static_cast<std::ptrdiff_t>(rowBytes * y));
    }
    return topDown;
}

std::vector<float> EglOffscreen::readDepth() const {
    const auto row = static_cast<std::size_t>(width_);
    std::vector<float> bottomUp(row * static_cast<std::size_t>(height_));
    glReadPixels(0, 0, width_, height_, GL_DEPTH_COMPONENT, GL_FLOAT, bottomUp.data());
    std::vector<float> topDown(bottomUp.size());
    for (int y = 0; y < height_; ++y) {
        std::copy_n(bottomUp.begin() + static_cast<std::ptrdiff_t>(row * (height_ - 1 - y)), row,
                    topDown.begin() + static_cast<std::ptrdiff_t>(row * y));
    }
    return topDown;
}

}  // namespace vorlune
