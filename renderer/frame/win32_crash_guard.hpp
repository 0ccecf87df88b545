#pragma once

namespace vorlune {

// The renderer's last act when it dies: an unhandled structured exception
// (an access violation, say, in any of its threads) or std::terminate runs
// restore once, on the dying thread, and then ends the process at once, with
// the exception's code (3 after std::terminate): no debugger's report, no
// message box, no message loop resumed. restore must ask nothing of what the
// crash may have broken. Installed once, before anything is changed.
void installCrashGuard(void (*restore)());

}  // namespace vorlune
