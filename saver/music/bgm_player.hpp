#pragma once

// The music player's decisions, apart from the system that plays the sound.
// Every operation takes the port it talks through; the Windows build passes
// ports over mciSendStringA, waveOutGetNumDevs and PlaySoundA, the tests
// scripted fakes. The shared values CdPolling, BgmFile and BgmRepeat are
// read and written here exactly as the parameterless operations of
// music_player.hpp do.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlune::saver {

// The multimedia command-string service: one command text in, an error code
// (0 = success) and, when a buffer is given, a reply text out. The service
// writes at most replyLength bytes into reply and need not end them with a
// NUL when the text does not fit. reply is null exactly when replyLength is 0.
struct MciPort {
    virtual ~MciPort() = default;
    virtual std::uint32_t send(const std::string& command, char* reply,
                               std::uint32_t replyLength) = 0;
};

// The sound-playing service. name is null to stop the sound.
struct WavePort {
    virtual ~WavePort() = default;
    virtual std::uint32_t waveOutDevices() = 0;
    virtual bool playSound(const char* name, std::uint32_t flags) = 0;
};

inline constexpr std::uint32_t MciReplyLength = 512;
inline constexpr std::uint32_t CdModeLength = 255;
inline constexpr std::uint32_t Mp3ModeLength = 30;
inline constexpr std::uint32_t SoundAsync = 0x1;
inline constexpr std::uint32_t SoundLoop = 0x8;

// The longest music file path we hand to the MPEG device: MAX_PATH less its
// terminating NUL. Nothing longer names a file through the ANSI interface.
inline constexpr std::size_t Mp3PathLimit = 259;

struct MciResult {
    std::uint32_t code = 0;
    std::string reply;  // only meaningful when code is 0
};

MciResult MciCommand(MciPort& mci, const std::string& command);
std::string MciQuery(MciPort& mci, const std::string& command);
std::uint32_t MciPlay(MciPort& mci, const std::string& device, const std::string& from,
                      const std::string& to);

void CdOpen(MciPort& mci);
void CdPoll(MciPort& mci);
void CdClose(MciPort& mci);

void Mp3Open(MciPort& mci);
bool Mp3IsPlaying(MciPort& mci);
void Mp3Poll(MciPort& mci);
void Mp3Close(MciPort& mci);

void WavPlay(WavePort& wave);
void WavStop(WavePort& wave);

// Whether BgmFile may travel inside the quoted open command: not with a
// double quote of its own (it would end the quoted name and let the rest of
// the path be read as command words), and not longer than Mp3PathLimit.
bool Mp3PathAccepted(std::string_view path);

// A reply text read as a number the way the track comparison needs it:
// blanks around an optionally signed decimal number; nothing else.
std::optional<double> ReplyNumber(std::string_view text);

}  // namespace vorlune::saver
