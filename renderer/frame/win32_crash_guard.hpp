#pragma once

namespace vorlune {

// The renderer's last act when it dies: an unhandled structured exception
// (an access violation, say, in any of its threads) or std::terminate runs
// restore once, and then ends the process at once, with the exception's code
// (3 after std::terminate): no debugger's report, no message box, no message
// loop resumed on the dying thread. restore runs on the thread that installs
// the guard, the one that owns the windows: a crash on another thread asks it
// to, through the messages it handles between frames, and runs restore itself
// only when that thread does not answer within 2 s. restore must ask nothing
// of what the crash may have broken. Installed once, before anything is
// changed, by the thread that handles the program's messages.
void installCrashGuard(void (*restore)());

}  // namespace vorlune
