#pragma once

#include <cstdint>
#include <string>

namespace vorlune::saver {

// The shell's settings, loaded once at start-up, edited in place by the
// settings dialog and read by the full-screen run and the music player.
inline std::int16_t BgmKind = 0;    // 0 no music, 1 audio CD, 2 MP3 or WAV file
inline std::int16_t BgmRepeat = 0;  // CD track to repeat; 0 the whole disc
inline std::string BgmFile;         // the music file, in the system code page
inline std::string BgmFolder;       // where the file chooser starts

}  // namespace vorlune::saver
