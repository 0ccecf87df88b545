#pragma once

#include <windows.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "frame/win32_monitor_covers.hpp"

namespace vorlune {

// A failed step of the render window's creation. what() is the message the
// user reads first; reason() names the system call that failed and the
// system's own explanation.
class RenderWindowError : public std::runtime_error {
  public:
    RenderWindowError(const char* message, std::string reason)
        : std::runtime_error(message), reason_(std::move(reason)) {}

    const std::string& reason() const { return reason_; }

  private:
    std::string reason_;
};

// The renderer's top-level window of class "GLWindow", its own device context,
// and an OpenGL context current on the creating thread from creation to
// destruction. Creation may switch the display to the requested mode (or the
// requested size at the display's own depth, and falls back to a centred
// window when neither is taken); in full screen the other monitors are
// covered. Destruction gives the display back (restoreDisplayOfCurrent), then
// releases the context and the window.
//
// A failed creation throws RenderWindowError after giving the display back;
// the rest of what it did stays until the process ends.
class RenderWindow {
  public:
    RenderWindow(const char* caption, int width, int height, int colourBits, bool fullScreen);
    ~RenderWindow();
    RenderWindow(const RenderWindow&) = delete;
    RenderWindow& operator=(const RenderWindow&) = delete;

    void swapBuffers();

    // Takes the covers away, shows the cursor and returns the display to the
    // mode stored in the registry (after a windowed run, harmlessly): the
    // first step of destruction, done once for the render window there is
    // now, if any. All of destruction that a crash still runs
    // (win32_crash_guard.hpp): no OpenGL, no memory freed, any thread.
    static void restoreDisplayOfCurrent();

    HWND window = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderContext = nullptr;

  private:
    void create(const char* caption, int width, int height, int colourBits, bool fullScreen);
    void restoreDisplay();

    std::unique_ptr<MonitorCovers> covers_;
};

}  // namespace vorlune
