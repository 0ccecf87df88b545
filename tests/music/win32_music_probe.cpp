// Plays the music through the player's Windows side, for the end-to-end test:
//   music_probe wav <file> | mp3 <file> | cd
// Each step is reported as "<event> <unix seconds>" so that the test can find
// it in a recording of the sound device; other lines are "key=value".

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "music/music_player.hpp"
#include "shell/settings_values.hpp"

namespace {

using namespace vorlune::saver;

void Event(const char* name) {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // 100 ns ticks since 1601 to seconds since 1970
    const double unixSeconds = static_cast<double>(ticks - 116444736000000000ull) / 1e7;
    std::printf("%s %.3f\n", name, unixSeconds);
    std::fflush(stdout);
}

int Wav() {
    WavPlay();
    Event("wav-playing");
    Sleep(4500);
    WavStop();
    Event("wav-stopped");
    Sleep(2500);
    Event("done");
    return 0;
}

// The run form's Timer1: one poll a second. The file is shorter than the
// polling, so it ends and is restarted at least once.
int Mp3() {
    Mp3Open();
    Event("mp3-playing");
    bool restarted = false;
    for (int tick = 0; tick < 6; ++tick) {
        Sleep(1000);
        const bool playing = Mp3IsPlaying();
        Mp3Poll();
        if (!playing && !restarted) {
            Event("mp3-restarted");
            restarted = true;
        }
    }
    Mp3Close();
    Event("mp3-closed");
    Sleep(2500);
    Event("done");
    return restarted ? 0 : 3;
}

int Cd() {
    BgmRepeat = 0;
    CdOpen();
    CdPoll();
    std::printf("cdpolling=%d\n", CdPolling ? 1 : 0);
    if (CdPolling) CdClose();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "wav") == 0) {
        BgmFile = argv[2];
        return Wav();
    }
    if (argc >= 3 && std::strcmp(argv[1], "mp3") == 0) {
        BgmFile = argv[2];
        return Mp3();
    }
    if (argc >= 2 && std::strcmp(argv[1], "cd") == 0) return Cd();
    std::fprintf(stderr, "usage: music_probe wav <file> | mp3 <file> | cd\n");
    return 2;
}
