// Counts the frames a GLX or EGL program shows: preloaded (LD_PRELOAD), it
// adds one to a 64-bit counter in the file SWAP_COUNTER_FILE names on every
// glXSwapBuffers and eglSwapBuffers and passes the call on. A script reads the
// counter twice to get the frame rate. With SWAP_COUNTER_REFUSE_AFTER=N, every
// eglSwapBuffers after the first N fails as EGL fails it, for a surface that
// is no longer one (EGL_BAD_SURFACE).
#include <EGL/egl.h>
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>

namespace {

using Counter = std::atomic<std::uint64_t>;

// The number of frames counted, this one included.
std::uint64_t countFrame() {
    static Counter* const counter = []() -> Counter* {
        const char* path = std::getenv("SWAP_COUNTER_FILE");
        if (path == nullptr) return nullptr;
        const int file = open(path, O_RDWR);
        if (file < 0) return nullptr;
        void* data = mmap(nullptr, sizeof(Counter), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        close(file);
        return data == MAP_FAILED ? nullptr : static_cast<Counter*>(data);
    }();
    static Counter ownCount{0};
    return (counter != nullptr ? counter->fetch_add(1) : ownCount.fetch_add(1)) + 1;
}

bool refused(std::uint64_t frame) {
    static const char* const limit = std::getenv("SWAP_COUNTER_REFUSE_AFTER");
    return limit != nullptr && frame > std::strtoull(limit, nullptr, 10);
}

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
    static const auto swap =
        reinterpret_cast<void (*)(Display*, GLXDrawable)>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    countFrame();
    swap(display, drawable);
}

extern "C" EGLBoolean eglSwapBuffers(EGLDisplay display, EGLSurface surface) {
    static const auto swap = reinterpret_cast<EGLBoolean (*)(EGLDisplay, EGLSurface)>(
        dlsym(RTLD_NEXT, "eglSwapBuffers"));
    return swap(display, refused(countFrame()) ? EGL_NO_SURFACE : surface);
}
