#include "shell/win32_run_form.hpp"

#include "frame/win32_error.hpp"
#include "music/music_player.hpp"
#include "shell/settings_rules.hpp"
#include "shell/settings_values.hpp"
#include "shell/shell_names.hpp"
#include "shell/win32_settings_store.hpp"

namespace vorlune::saver {

namespace {

MusicFile MusicFileOfSettings() {
    return MusicFileOf(BgmFile, IsSystemLeadByte);
}

}  // namespace

Vorlune_S::Vorlune_S(char modeLetter)
    : Form(kRunCaption),
      Timer1(*this, 1000, false, [this] { Timer1_Timer(); }),
      Timer2(*this, 200, false, [this] { Timer2_Timer(); }),
      Timer3(*this, 500, true, [this] { Timer3_Timer(); }),
      modeLetter_(modeLetter) {}

void Vorlune_S::Form_Load() {
    rendererPath_ = ProgramFolder() + kRendererName;
    StartRenderer();
    if (BgmKind == kCdMusic) {
        CdOpen();
        Timer2.SetEnabled(true);
    }
    if (BgmKind == kFileMusic) {
        switch (MusicFileOfSettings()) {
            case MusicFile::Wav:
                WavPlay();  // loops by itself
                break;
            case MusicFile::Mp3:
                Mp3Open();
                Timer1.SetEnabled(true);
                break;
            case MusicFile::Other:
                break;
        }
    }
}

void Vorlune_S::StartRenderer() {
    // Started from the file itself: its name ends in .dll, so no file-type
    // association could start it. No arguments, shown normally with the focus.
    std::string commandLine = "\"" + rendererPath_ + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    startedAt_ = GetTickCount();
    if (!CreateProcessA(rendererPath_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &process)) {
        traceFailedCall("CreateProcessA");
        return;
    }
    CloseHandle(process.hThread);
    renderer_ = process.hProcess;
}

void Vorlune_S::Timer1_Timer() {
    Mp3Poll();
}

void Vorlune_S::Timer2_Timer() {
    CdPoll();
    Timer2.SetEnabled(CdPolling);
}

void Vorlune_S::Timer3_Timer() {
    const bool window = FindWindowA(nullptr, kRendererCaption) != nullptr;
    RendererProcess process;
    process.ended = renderer_ == nullptr || WaitForSingleObject(renderer_, 0) == WAIT_OBJECT_0;
    if (renderer_ != nullptr && process.ended) {
        DWORD exitCode = 0;
        if (GetExitCodeProcess(renderer_, &exitCode)) {
            process.exitCode = exitCode;
        } else {
            traceFailedCall("GetExitCodeProcess");
        }
    }
    const WatchVerdict verdict = watch_.Tick(window, process, GetTickCount() - startedAt_);
    if (verdict == WatchVerdict::GoOn) return;
    // The mode stored in the registry: the user's own.
    if (verdict == WatchVerdict::RestoreDisplayAndEnd) ChangeDisplaySettingsA(nullptr, 0);
    Timer3.SetEnabled(false);
    Unload();
}

void Vorlune_S::Form_QueryUnload(bool& /*cancel*/, forms::UnloadMode /*mode*/) {
    if (Timer2.Enabled()) {
        Timer2.SetEnabled(false);
        CdClose();
    }
    if (BgmKind == kFileMusic) {
        switch (MusicFileOfSettings()) {
            case MusicFile::Wav:
                WavStop();
                break;
            case MusicFile::Mp3:
                Timer1.SetEnabled(false);
                Mp3Close();
                break;
            case MusicFile::Other:
                break;
        }
    }
    if (modeLetter_ == 'S') ShowCursor(TRUE);
    forms::EndProgram();
}

}  // namespace vorlune::saver
