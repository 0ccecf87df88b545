// Vorlune.scr's entry, the module Vorlune_B: StartUp takes the screen-saver
// command line and either previews, opens the settings dialog, runs full
// screen or ends.
#include <windows.h>

#include <cstdint>
#include <string>

#include "forms/win32_forms.hpp"
#include "forms/win32_text.hpp"
#include "frame/win32_error.hpp"
#include "shell/command_line.hpp"
#include "shell/shell_names.hpp"
#include "shell/win32_preview_form.hpp"
#include "shell/win32_run_form.hpp"
#include "shell/win32_settings_store.hpp"
#include "shell/win32_ui_texts.hpp"
#include "ui/win32_settings_dialog.hpp"

namespace vorlune::saver {

namespace {

// A host destroyed while the preview form was being made its child may take
// the form's window with it unannounced, or leave it behind: either way
// nobody would end us. Watched from a timer of the thread's own.
void WatchHost(HWND host, HWND form) {
    static HWND watchedHost = nullptr;
    static HWND watchedForm = nullptr;
    watchedHost = host;
    watchedForm = form;
    if (SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR, DWORD) {
            if (!IsWindow(watchedHost) || !IsWindow(watchedForm)) forms::EndProgram();
        }) == 0) {
        traceFailedCall("SetTimer");
    }
}

// Parents the preview form Vorlune_R into the host's window. False when
// there is no such window: then there is nothing to preview in and nothing
// to wait for.
bool StartPreview(const std::string& arguments) {
    const std::int32_t handle = HostHandle(arguments, IsSystemLeadByte);
    const HWND host = reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
    RECT rect{};
    if (host == nullptr || !IsWindow(host) || !GetWindowRect(host, &rect)) return false;
    const int twipsX = forms::TwipsPerPixelX();
    const int twipsY = forms::TwipsPerPixelY();
    const std::int32_t width = PreviewTwips(rect.right - rect.left, twipsX);
    const std::int32_t height = PreviewTwips(rect.bottom - rect.top, twipsY);

    static Vorlune_R preview;
    preview.Load();
    if (!preview.Loaded()) return false;
    const HWND window = preview.Window();
    // A child now: WS_POPUP goes, or the system would keep treating it as a
    // pop-up window of its own.
    const auto style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    SetWindowLongA(window, GWL_STYLE, static_cast<LONG>((style | WS_CHILD) & ~WS_POPUP));
    if (SetParent(window, host) == nullptr) {
        traceFailedCall("SetParent");
        preview.Unload();
        return false;
    }
    preview.Move(0, 0, width, height);
    preview.Img_Prev.Move(0, 0, width / twipsX, height / twipsY);
    preview.Show();
    WatchHost(host, window);
    return true;
}

// True when another start holds the instance mutex. The windows alone
// cannot tell: starts in quick succession all look before any has made its
// window. A preview takes no part: the settings dialog opens beside one.
bool AnotherStartHolds(char letter) {
    if (letter == 'P') return false;
    // Never closed: held until the process ends, however it ends.
    const HANDLE mutex = CreateMutexA(nullptr, FALSE, kInstanceMutex);
    if (mutex == nullptr) {
        traceFailedCall("CreateMutexA");
        return false;
    }
    return GetLastError() == ERROR_ALREADY_EXISTS;
}

void StartUp(const std::string& arguments) {
    const char letter = ModeLetter(arguments, IsSystemLeadByte);
    const bool previousInstance = AnotherStartHolds(letter) ||
                                  FindWindowA(nullptr, kRunCaption) != nullptr ||
                                  FindWindowA(nullptr, kSettingsCaption) != nullptr;
    switch (DecideFirstStep(previousInstance, letter)) {
        case FirstStep::EndSilently:
            return;
        case FirstStep::Preview:
            StartPreview(arguments);
            return;
        case FirstStep::LoadSettings:
            break;
    }

    // A folder the settings and the renderer cannot be reached in: saying
    // that the renderer is missing would send the user looking for it.
    if (ProgramFolder().empty()) {
        ShowMessage(nullptr, forms::Widen(UserTexts().unusableFolder), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    LoadSettings();
    const bool rendererFound = FileExists(ProgramFolder() + kRendererName);
    const SecondDecision decision = DecideSecondStep(arguments, letter, rendererFound);
    switch (decision.step) {
        case SecondStep::MissingRenderer:
            ShowMessage(nullptr, forms::Widen(UserTexts().missingRenderer), MB_OK);
            return;
        case SecondStep::SettingsDialog:
            ShowSettingsDialogModal();
            return;
        case SecondStep::EndSilently:
            return;
        case SecondStep::Run:
            break;
    }
    if (decision.hideCursor) ShowCursor(FALSE);
    static Vorlune_S run(letter);
    run.Load();
}

}  // namespace

}  // namespace vorlune::saver

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    vorlune::forms::SetClassPrefix(vorlune::saver::kClassPrefix);
    vorlune::saver::StartUp(commandLine != nullptr ? commandLine : "");
    // The program lives while one of its forms is loaded.
    return vorlune::forms::RunMessageLoop();
}
