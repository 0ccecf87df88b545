// A small X client for x11_test.sh, for what the stock X tools do not do:
//   x11_test_client window X Y WIDTH HEIGHT   maps a white window, prints its id in
//                                             hex and keeps it until killed
//   x11_test_client close ID                  asks window ID to close, as a window
//                                             manager's close button does
//   x11_test_client cursor-hidden             exit 0 when the pointer's cursor is
//                                             fully transparent, 1 when not
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "x11_test_client: %s\n", what);
    return 3;
}

[[noreturn]] void keepWindow(Display* display, char** geometry) {
    const int screen = DefaultScreen(display);
    const unsigned long white = WhitePixel(display, screen);
    const Window window =
        XCreateSimpleWindow(display, RootWindow(display, screen), std::atoi(geometry[0]),
                            std::atoi(geometry[1]), static_cast<unsigned>(std::atoi(geometry[2])),
                            static_cast<unsigned>(std::atoi(geometry[3])), 0, white, white);
    XSelectInput(display, window, StructureNotifyMask);
    XMapWindow(display, window);
    for (XEvent event{}; event.type != MapNotify;) XNextEvent(display, &event);
    std::printf("0x%lx\n", window);
    std::fflush(stdout);
    for (XEvent event;;) XNextEvent(display, &event);  // until the test kills us
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
    int eventBase = 0, errorBase = 0;
    if (!XFixesQueryExtension(display, &eventBase, &errorBase)) return fail("no XFIXES");
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr) return fail("XFixesGetCursorImage");
    bool transparent = true;
    for (int i = 0; i < image->width * image->height; ++i)
        transparent &= (image->pixels[i] >> 24) == 0;
    XFree(image);
    return transparent ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return fail("XOpenDisplay");
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "window" && argc == 6) keepWindow(display, argv + 2);
    if (command == "close" && argc == 3)
        return closeWindow(display, std::strtoul(argv[2], nullptr, 0));
    if (command == "cursor-hidden" && argc == 2) return cursorHidden(display);
    return fail("usage: window X Y W H | close ID | cursor-hidden");
}
