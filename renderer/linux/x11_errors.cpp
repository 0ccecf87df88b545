#include "linux/x11_errors.hpp"

#include <unistd.h>

#include <cstdio>

namespace vorlune {

namespace {

X11ErrorTrap* activeTrap = nullptr;
bool reportedUntrappedError = false;
XID quietResource = None;

std::string errorText(Display* display, int code) {
    char text[256] = {};
    XGetErrorText(display, code, text, sizeof text);
    return text;
}

int handleIoError(Display* display) {
    // Xlib cannot go on after this and GL would touch the dead connection on
    // the way out, so leave at once.
    std::fprintf(stderr, "vorlune: lost the connection to the X server %s\n",
                 DisplayString(display));
    std::fflush(stderr);
    _exit(1);
}

}  // namespace

int handleX11Error(Display* display, XErrorEvent* event) {
    if (activeTrap != nullptr) {
        if (activeTrap->errorCode_ == Success) {
            activeTrap->errorCode_ = event->error_code;
            activeTrap->errorText_ = errorText(display, event->error_code);
        }
        return 0;
    }
    // A window that went away under us gives a burst of these; one line says it.
    if (!reportedUntrappedError && event->resourceid != quietResource) {
        reportedUntrappedError = true;
        std::fprintf(stderr, "vorlune: X error %s (request %d.%d, resource 0x%lx)\n",
                     errorText(display, event->error_code).c_str(), event->request_code,
                     event->minor_code, event->resourceid);
    }
    return 0;
}

void quietX11ErrorsAbout(XID resource) {
    quietResource = resource;
}

void installX11ErrorHandlers() {
    XSetErrorHandler(handleX11Error);
    XSetIOErrorHandler(handleIoError);
}

X11ErrorTrap::X11ErrorTrap(Display* display) : display_(display), previous_(activeTrap) {
    // Errors of earlier requests belong to whoever made them.
    XSync(display_, False);
    activeTrap = this;
}

X11ErrorTrap::~X11ErrorTrap() {
    XSync(display_, False);
    activeTrap = previous_;
}

std::string X11ErrorTrap::check() {
    XSync(display_, False);
    return errorText_;
}

void X11ErrorTrap::throwIfFailed(const char* call) {
    const std::string text = check();
    if (errorCode_ != Success) throw X11Error(std::string(call) + " failed: " + text);
}

}  // namespace vorlune
