// A small X client for the renderer's tests, for what the stock X tools do
// not do:
//   x11_test_client window X Y WIDTH HEIGHT   maps a window, prints its id in
//                                             hex and keeps it until killed
//   x11_test_client close ID                  asks window ID to close, as a
//                                             window manager's close button does
//   x11_test_client cursor-hidden             exit 0 when the pointer's cursor
//                                             is fully transparent, 1 when not
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "x11_test_client: %s\n", what);
    return 3;
}

int makeWindow(Display* display, int x, int y, int width, int height) {
    const int screen = DefaultScreen(display);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = BlackPixel(display, screen);
    attributes.override_redirect = False;
    const Window window =
        XCreateWindow(display, RootWindow(display, screen), x, y, static_cast<unsigned>(width),
                      static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                      CWBackPixel, &attributes);
    XStoreName(display, window, "x11_test_client");
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify) break;
    }
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    // Keep the window (and this connection) until the test kills us.
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

int closeWindow(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    if (XSendEvent(display, window, False, NoEventMask, &event) == 0) return fail("XSendEvent");
    XSync(display, False);
    return 0;
}

int cursorHidden(Display* display) {
    int eventBase = 0;
    int errorBase = 0;
    if (!XFixesQueryExtension(display, &eventBase, &errorBase)) return fail("no XFIXES");
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr) return fail("XFixesGetCursorImage");
    bool transparent = true;
    for (int i = 0; i < image->width * image->height; ++i) {
        if ((image->pixels[i] >> 24) != 0) transparent = false;
    }
    std::printf("cursor %dx%d %s\n", image->width, image->height,
                transparent ? "transparent" : "visible");
    XFree(image);
    return transparent ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return fail("XOpenDisplay");
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "window" && argc == 6) {
        return makeWindow(display, std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                          std::atoi(argv[5]));
    }
    if (command == "close" && argc == 3) {
        return closeWindow(display, std::strtoul(argv[2], nullptr, 0));
    }
    if (command == "cursor-hidden" && argc == 2) return cursorHidden(display);
    return fail("usage: window X Y W H | close ID | cursor-hidden");
}
