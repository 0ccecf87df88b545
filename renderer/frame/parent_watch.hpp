#pragma once

#include <cstdint>
#include <string_view>

namespace vorlune {

// The renderer started by the saver's shell ends when the shell's process
// ends, however it ended: nobody else would end a full-screen run left
// behind. A renderer started by anything else runs on regardless.

// True when a program's file name, as the process list gives it (no folder),
// is the shell's, compared without regard to ASCII case.
bool isShellProgram(std::string_view exeFile);

// Whether to watch the parent process: it is the shell's program and it was
// created no later than the renderer itself (100 ns units since 1601; 0 for
// a time that could not be read). A later parent is another process that
// took over the process id of one already gone.
bool shouldWatchParent(std::string_view parentExeFile, std::uint64_t parentCreated,
                       std::uint64_t ownCreated);

}  // namespace vorlune
