// Counts the frames a GLX or EGL program shows: preloaded (LD_PRELOAD), it
// adds one to a 64-bit counter in the file SWAP_COUNTER_FILE names on every
// glXSwapBuffers and eglSwapBuffers and passes the call on. A script reads the
// counter twice to get the frame rate.
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

void countFrame() {
    static Counter* const counter = []() -> Counter* {
        const char* path = std::getenv("SWAP_COUNTER_FILE");
        if (path == nullptr) return nullptr;
        const int file = open(path, O_RDWR);
        if (file < 0) return nullptr;
        void* data = mmap(nullptr, sizeof(Counter), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
        close(file);
        return data == MAP_FAILED ? nullptr : static_cast<Counter*>(data);
    }();
    if (counter != nullptr) counter->fetch_add(1);
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
    countFrame();
    return swap(display, surface);
}
