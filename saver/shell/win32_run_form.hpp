#pragma once

#include <windows.h>

#include <string>

#include "forms/win32_forms.hpp"
#include "shell/renderer_watch.hpp"

namespace vorlune::saver {

// The hidden run form "Vorlune_Main": starts the renderer and the music,
// keeps the music going and watches for the renderer's window.
class Vorlune_S : public forms::Form {
  public:
    // modeLetter: the command line's; 'S' means the cursor was hidden for the run.
    explicit Vorlune_S(char modeLetter);

    forms::Timer Timer1;  // MP3 supervision
    forms::Timer Timer2;  // audio-CD supervision
    forms::Timer Timer3;  // renderer watch

  protected:
    void Form_Load() override;
    void Form_QueryUnload(bool& cancel, forms::UnloadMode mode) override;

  private:
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void StartRenderer();

    char modeLetter_;
    std::string rendererPath_;
    HANDLE renderer_ = nullptr;  // the renderer's process, for the watch
    DWORD startedAt_ = 0;
    RendererWatch watch_;
};

}  // namespace vorlune::saver
