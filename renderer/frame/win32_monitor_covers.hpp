#pragma once

#include <windows.h>

#include <vector>

namespace vorlune {

// Black windows over every monitor but the one the scene's window is on, for
// a full-screen run: the user's other windows stay out of sight and out of
// reach of the mouse. They are topmost, never take the focus (the keyboard
// stays with the scene, so Escape still ends the run) and hide the cursor.
//
// They carry a class of their own and no caption: the shell finds the
// renderer by its window's caption and must find that window alone.
class MonitorCovers {
  public:
    // Covers the monitors as they are laid out now, after the mode change.
    explicit MonitorCovers(HWND sceneWindow);
    ~MonitorCovers();
    MonitorCovers(const MonitorCovers&) = delete;
    MonitorCovers& operator=(const MonitorCovers&) = delete;

    // Follows a change of the monitors' number or layout (WM_DISPLAYCHANGE).
    void layOut();
    // Takes the covers away for good, as the display is about to be given
    // back. Frees nothing, so that a crash may still call it; from another
    // thread than the one that made them it leaves them to the process's end.
    void remove();

  private:
    HWND sceneWindow_;
    HINSTANCE instance_;
    bool registered_ = false;
    bool removed_ = false;
    std::vector<HWND> covers_;
};

}  // namespace vorlune
