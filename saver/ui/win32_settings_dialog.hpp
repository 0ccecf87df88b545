#pragma once

#include <windows.h>

namespace vorlune::saver {

// Shows the settings dialog "<Vorlune>" modally, without an owner, and
// returns once it has closed.
void ShowSettingsDialogModal();

}  // namespace vorlune::saver
