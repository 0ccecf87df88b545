// Until the settings dialog is built, mode C says so in a window that carries
// the dialog's caption, so that other copies still see it as open.
#include <windows.h>

#include "shell/shell_names.hpp"
#include "shell/win32_settings_dialog.hpp"

namespace vorlune::saver {

void ShowSettingsDialogModal() {
    MessageBoxA(nullptr, "The settings dialog is not part of this build yet.", kSettingsCaption,
                MB_OK);
}

}  // namespace vorlune::saver
