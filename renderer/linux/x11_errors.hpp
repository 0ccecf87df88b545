#pragma once

#include <X11/Xlib.h>

#include <stdexcept>
#include <string>

namespace vorlune {

// A failed X or GLX call; the message names the call and X's own error text.
class X11Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// X reports protocol errors asynchronously through one process-wide handler,
// and by default ends the program on the first one. These handlers instead
// hand errors to the trap that is set, report any other error on stderr and
// carry on, and end the program with a message (no clean-up is possible) when
// the connection to the server is lost.
void installX11ErrorHandlers();

// Errors about this resource are not reported: a window another program owns
// can be destroyed at any time, and the frame under way then fails.
void quietX11ErrorsAbout(XID resource);

// Collects the protocol errors of the calls made while it lives; an inner trap
// takes them while it lives.
class X11ErrorTrap {
  public:
    explicit X11ErrorTrap(Display* display);
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;
    ~X11ErrorTrap();

    // Waits until the server has answered every request sent so far; then the
    // first error since the trap was set as X's text ("BadWindow (invalid
    // Window parameter)"), or an empty string.
    std::string check();
    // Throws X11Error "<call> failed: <error text>" when check() finds an error.
    void throwIfFailed(const char* call);

  private:
    friend int handleX11Error(Display*, XErrorEvent*);
    Display* display_;
    X11ErrorTrap* previous_;
    int errorCode_ = Success;
    std::string errorText_;
};

}  // namespace vorlune
