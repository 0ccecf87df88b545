#pragma once

#include <cstdint>
#include <string>

namespace vorlune::saver {

// The values of BgmKind; any other plays no music.
inline constexpr std::int16_t kNoMusic = 0;
inline constexpr std::int16_t kCdMusic = 1;    // tracks of an audio CD
inline constexpr std::int16_t kFileMusic = 2;  // an MP3 or WAV file

// The shell's settings, loaded once at start-up, edited in place by the
// settings dialog and read by the full-screen run and the music player.
inline std::int16_t BgmKind = kNoMusic;
inline std::int16_t BgmRepeat = 0;  // CD track to repeat; 0 the whole disc
inline std::string BgmFile;         // the music file, in the system code page
inline std::string BgmFolder;       // where the file chooser starts

}  // namespace vorlune::saver
