// The music player on Windows: the multimedia command-string service and the
// sound-playing function behind the ports of bgm_player.hpp.

#include <windows.h>
// windows.h first: mmsystem.h relies on its types.
#include <mmsystem.h>

#include <string>

#include "frame/win32_error.hpp"
#include "music/bgm_player.hpp"
#include "music/music_player.hpp"

namespace vorlune::saver {
namespace {

// The player tells the user nothing (the music is a nicety), but each
// failing call leaves a trace with the system's own words.
class Win32Mci final : public MciPort {
  public:
    std::uint32_t send(const std::string& command, char* reply,
                       std::uint32_t replyLength) override {
        const MCIERROR code = mciSendStringA(command.c_str(), reply, replyLength, nullptr);
        if (code != 0) {
            char text[256] = {};
            if (!mciGetErrorStringA(code, text, sizeof text)) text[0] = '\0';
            traceFailure("mciSendStringA(\"" + command + "\"): " + text + " (error " +
                         std::to_string(code) + ")");
        }
        return static_cast<std::uint32_t>(code);
    }
};

class Win32Wave final : public WavePort {
  public:
    std::uint32_t waveOutDevices() override { return waveOutGetNumDevs(); }

    bool playSound(const char* name, std::uint32_t flags) override {
        if (PlaySoundA(name, nullptr, flags)) return true;
        // PlaySoundA sets no last error; its name and flags are all there is.
        traceFailure(std::string("PlaySoundA(\"") + (name != nullptr ? name : "") + "\", " +
                     std::to_string(flags) + ") failed");
        return false;
    }
};

Win32Mci mci;
Win32Wave wave;

}  // namespace

void CdOpen() {
    CdOpen(mci);
}
void CdPoll() {
    CdPoll(mci);
}
void CdClose() {
    CdClose(mci);
}

void Mp3Open() {
    Mp3Open(mci);
}
bool Mp3IsPlaying() {
    return Mp3IsPlaying(mci);
}
void Mp3Poll() {
    Mp3Poll(mci);
}
void Mp3Close() {
    Mp3Close(mci);
}

void WavPlay() {
    WavPlay(wave);
}
void WavStop() {
    WavStop(wave);
}

}  // namespace vorlune::saver
