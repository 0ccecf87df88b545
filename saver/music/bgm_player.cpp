#include "music/bgm_player.hpp"

#include <array>
#include <cstring>

#include "music/music_player.hpp"
#include "shell/settings_values.hpp"
#include "shell/shell_text.hpp"

namespace vorlune::saver {

bool CdPolling = false;

namespace {

char MciReply[MciReplyLength];

// The text a reply buffer holds: up to its first NUL, but never past its
// end, since the service leaves no NUL when a reply fills the buffer.
std::string BufferText(const char* buffer, std::size_t length) {
    const void* nul = std::memchr(buffer, '\0', length);
    const std::size_t used =
        nul == nullptr ? length : static_cast<std::size_t>(static_cast<const char*>(nul) - buffer);
    return std::string(buffer, used);
}

std::string FirstSeven(const std::string& text) {
    return text.substr(0, 7);
}

// MCI answers in plain ASCII: only ASCII letters are folded.
bool ContainsErr(const std::string& text) {
    return UpperAscii(text, IsSingleByte).find("ERR") != std::string::npos;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

void SendPlain(MciPort& mci, const std::string& command) {
    mci.send(command, nullptr, 0);
}

}  // namespace

std::optional<double> ReplyNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    double value = 0.0;
    bool digits = false;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        value = value * 10.0 + (text[i] - '0');
        digits = true;
    }
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && IsDigit(text[i]); ++i) {
            value += (text[i] - '0') * scale;
            scale /= 10.0;
            digits = true;
        }
    }
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (!digits || i != text.size()) return std::nullopt;
    return negative ? -value : value;
}

MciResult MciCommand(MciPort& mci, const std::string& command) {
    // A failing call may leave the buffer as it was; start each call empty.
    std::memset(MciReply, 0, sizeof MciReply);
    MciResult result;
    result.code = mci.send(command, MciReply, MciReplyLength);
    if (result.code == 0) result.reply = BufferText(MciReply, sizeof MciReply);
    return result;
}

std::string MciQuery(MciPort& mci, const std::string& command) {
    const MciResult result = MciCommand(mci, command);
    if (result.code != 0) return "Error:" + std::to_string(result.code);
    return result.reply;
}

std::uint32_t MciPlay(MciPort& mci, const std::string& device, const std::string& from,
                      const std::string& to) {
    std::string command = "play " + device;
    if (!from.empty()) command += " from " + from;
    if (!to.empty()) command += " to " + to;
    return MciCommand(mci, command).code;
}

void CdOpen(MciPort& mci) {
    SendPlain(mci, "open cdaudio");
}

void CdPoll(MciPort& mci) {
    CdPolling = true;
    try {
        const std::string current = MciQuery(mci, "status cdaudio current track");
        if (ContainsErr(current)) {
            CdPolling = false;
            return;
        }
        const std::string count = MciQuery(mci, "status cdaudio number of tracks");
        if (ContainsErr(count)) {
            CdPolling = false;
            return;
        }
        std::array<char, CdModeLength> modeBuffer{};
        mci.send("status cdaudio mode", modeBuffer.data(), CdModeLength);
        const std::string mode = FirstSeven(BufferText(modeBuffer.data(), modeBuffer.size()));
        const bool stopped = mode == "stopped";

        if (BgmRepeat != 0) {
            // Both sides of the test are always taken: a drive that names its
            // current track with something other than a number ends the
            // supervision even while the disc stands still.
            const std::optional<double> track = ReplyNumber(current);
            if (!track) {
                CdPolling = false;
                return;
            }
            if (stopped || *track != static_cast<double>(BgmRepeat)) {
                const std::string start =
                    MciQuery(mci, "status cdaudio position track " + std::to_string(BgmRepeat));
                MciPlay(mci, "cdaudio", start, "");
            }
        } else if (stopped) {
            MciPlay(mci, "cdaudio", "", "");
        }
    } catch (...) {
        CdPolling = false;
    }
}

void CdClose(MciPort& mci) {
    SendPlain(mci, "stop cdaudio");
    SendPlain(mci, "close cdaudio");
}

bool Mp3PathAccepted(std::string_view path) {
    return path.size() <= Mp3PathLimit && path.find('"') == std::string_view::npos;
}

void Mp3Open(MciPort& mci) {
    if (!Mp3PathAccepted(BgmFile)) return;
    const std::string open = "open \"" + BgmFile + "\" type MPEGVideo Alias MP3Play";
    if (mci.send(open, nullptr, 0) == 0) SendPlain(mci, "play MP3Play");
}

bool Mp3IsPlaying(MciPort& mci) {
    std::array<char, Mp3ModeLength> mode{};
    mci.send("status MP3Play mode", mode.data(), Mp3ModeLength);
    return FirstSeven(BufferText(mode.data(), mode.size())) == "playing";
}

// A refused file was never opened: there is nothing to watch or to close.
void Mp3Poll(MciPort& mci) {
    if (!Mp3PathAccepted(BgmFile)) return;
    if (!Mp3IsPlaying(mci)) {
        SendPlain(mci, "stop MP3Play");
        SendPlain(mci, "play MP3Play from 0");
    }
}

void Mp3Close(MciPort& mci) {
    if (!Mp3PathAccepted(BgmFile)) return;
    SendPlain(mci, "stop MP3Play");
    SendPlain(mci, "close MP3Play");
}

void WavPlay(WavePort& wave) {
    if (wave.waveOutDevices() > 0) wave.playSound(BgmFile.c_str(), SoundAsync | SoundLoop);
}

void WavStop(WavePort& wave) {
    wave.playSound(nullptr, 0);
}

}  // namespace vorlune::saver
