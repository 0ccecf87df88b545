// The music player's supervision against arbitrary replies. A fake
// command-string service answers every command with a code, a reply text and
// (during CdPoll, which promises to survive it) perhaps an exception, all
// taken from the input, which also gives the settings and the order of the
// operations. Every command must be one the Windows port can carry whole,
// every operation must end after a few commands, and the shared state must
// change only the way the player documents.

#include "music/music_player.hpp"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "music/bgm_player.hpp"
#include "shell/settings_values.hpp"

namespace {

using namespace vorlune::saver;

void Check(bool condition) {
    if (!condition) std::abort();
}

// The longest command the player builds: a play from a position that filled
// the whole reply buffer. The open command is shorter, its path being held to
// Mp3PathLimit.
const std::size_t kLongestCommand = std::string("play cdaudio from ").size() + MciReplyLength;

struct Exchange {
    std::string command;
    std::uint32_t code;
    std::string text;  // what the caller can read back: up to the first NUL
    bool threw;
};

class FuzzedMci final : public MciPort {
  public:
    explicit FuzzedMci(FuzzedDataProvider& input) : input_(input) {}

    std::vector<Exchange> exchanges;
    bool mayThrow = false;

    std::uint32_t send(const std::string& command, char* reply,
                       std::uint32_t replyLength) override {
        // The Windows port hands command.c_str() to the service: a NUL would
        // cut the command short.
        Check(command.find('\0') == std::string::npos);
        Check(command.size() <= kLongestCommand);
        Check((reply == nullptr) == (replyLength == 0));
        Check(exchanges.size() < 16);  // a runaway loop of commands

        Exchange exchange{command, 0, {}, false};
        const std::uint8_t how = input_.ConsumeIntegral<std::uint8_t>();
        if (mayThrow && how == 0xFF) {
            exchange.threw = true;
            exchanges.push_back(exchange);
            throw std::runtime_error("the port gave up");
        }
        if (how >= 0xC0) exchange.code = input_.ConsumeIntegralInRange<std::uint32_t>(1, 400);
        if (reply != nullptr) {
            // Like the service: at most replyLength bytes, the NUL only when
            // there is room for it.
            const std::string text = input_.ConsumeRandomLengthString(MciReplyLength + 16);
            const std::size_t n = std::min<std::size_t>(text.size(), replyLength);
            std::memcpy(reply, text.data(), n);
            if (n < replyLength) reply[n] = '\0';
            exchange.text = std::string(text.data(), std::min(n, std::strlen(text.c_str())));
        }
        exchanges.push_back(exchange);
        return exchange.code;
    }

  private:
    FuzzedDataProvider& input_;
};

class FuzzedWave final : public WavePort {
  public:
    explicit FuzzedWave(FuzzedDataProvider& input) : input_(input) {}

    struct Call {
        bool stop;
        std::string name;
        std::uint32_t flags;
    };
    std::vector<Call> calls;
    std::uint32_t devices = 0;

    std::uint32_t waveOutDevices() override {
        devices = input_.ConsumeIntegralInRange<std::uint32_t>(0, 2);
        return devices;
    }
    bool playSound(const char* name, std::uint32_t flags) override {
        calls.push_back({name == nullptr, name != nullptr ? name : "", flags});
        return input_.ConsumeBool();
    }

  private:
    FuzzedDataProvider& input_;
};

bool HasErr(std::string text) {
    for (char& c : text) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
    return text.find("ERR") != std::string::npos;
}

// What the player read back from one exchange as a query.
std::string QueryText(const Exchange& e) {
    return e.code != 0 ? "Error:" + std::to_string(e.code) : e.text;
}

void CheckCdPoll(const std::vector<Exchange>& sent) {
    Check(!sent.empty() && sent[0].command == "status cdaudio current track");
    const bool threw =
        std::any_of(sent.begin(), sent.end(), [](const Exchange& e) { return e.threw; });
    if (threw) {
        Check(!CdPolling);
        return;
    }
    const bool currentErr = HasErr(QueryText(sent[0]));
    if (currentErr) {
        Check(!CdPolling && sent.size() == 1);
        return;
    }
    Check(sent.size() >= 2 && sent[1].command == "status cdaudio number of tracks");
    if (HasErr(QueryText(sent[1]))) {
        Check(!CdPolling && sent.size() == 2);
        return;
    }
    Check(sent.size() >= 3 && sent[2].command == "status cdaudio mode");
    Check(sent.size() <= 5);
    // Only a repeat of one track can end the supervision past this point,
    // and only when the drive does not name its track with a number.
    if (!CdPolling) Check(BgmRepeat != 0 && sent.size() == 3);
    const std::string position = "status cdaudio position track " + std::to_string(BgmRepeat);
    if (sent.size() == 5) {
        Check(BgmRepeat != 0 && sent[3].command == position);
        const std::string start = QueryText(sent[3]);
        Check(sent[4].command == (start.empty() ? "play cdaudio" : "play cdaudio from " + start));
    }
    if (sent.size() == 4) Check(BgmRepeat == 0 && sent[3].command == "play cdaudio");
    // The whole disc is started again exactly when the drive says it stopped.
    if (BgmRepeat == 0) Check((sent.size() == 4) == (sent[2].text.substr(0, 7) == "stopped"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    FuzzedMci mci(input);
    FuzzedWave wave(input);

    // Settings never hold a NUL: neither the settings file nor the file
    // chooser can give one.
    auto newSettings = [&] {
        BgmRepeat = input.ConsumeIntegral<std::int16_t>();
        BgmFile = input.ConsumeRandomLengthString(300);
        std::replace(BgmFile.begin(), BgmFile.end(), '\0', '_');
    };
    newSettings();
    CdPolling = input.ConsumeBool();

    for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
        const int operation = input.ConsumeIntegralInRange(0, 9);
        const std::string file = BgmFile;
        const std::int16_t repeat = BgmRepeat;
        const bool polling = CdPolling;
        // MCI carries a quoted path of at most 259 bytes, and no quote inside it
        const bool accepted = file.size() <= 259 && file.find('"') == std::string::npos;
        mci.exchanges.clear();
        wave.calls.clear();
        mci.mayThrow = operation == 1;

        switch (operation) {
            case 0:
                CdOpen(mci);
                Check(mci.exchanges.size() == 1);
                break;
            case 1:
                CdPoll(mci);
                CheckCdPoll(mci.exchanges);
                break;
            case 2:
                CdClose(mci);
                Check(mci.exchanges.size() == 2);
                break;
            case 3:
                Mp3Open(mci);
                Check(accepted ? !mci.exchanges.empty() && mci.exchanges.size() <= 2
                               : mci.exchanges.empty());
                if (accepted) {
                    Check(mci.exchanges[0].command ==
                          "open \"" + file + "\" type MPEGVideo Alias MP3Play");
                }
                break;
            case 4: {
                const bool playing = Mp3IsPlaying(mci);
                Check(mci.exchanges.size() == 1);
                Check(playing == (mci.exchanges[0].text.substr(0, 7) == "playing"));
                break;
            }
            case 5:
                Mp3Poll(mci);
                Check(accepted ? mci.exchanges.size() == 1 || mci.exchanges.size() == 3
                               : mci.exchanges.empty());
                break;
            case 6:
                Mp3Close(mci);
                Check(mci.exchanges.size() == (accepted ? 2u : 0u));
                break;
            case 7:
                WavPlay(wave);
                Check(wave.calls.size() == (wave.devices > 0 ? 1u : 0u));
                if (!wave.calls.empty()) {
                    Check(!wave.calls[0].stop && wave.calls[0].name == file);
                    Check(wave.calls[0].flags == (SoundAsync | SoundLoop));
                }
                break;
            case 8:
                WavStop(wave);
                Check(wave.calls.size() == 1 && wave.calls[0].stop);
                break;
            default:
                newSettings();
                continue;
        }
        // No operation touches the settings; only CdPoll the polling flag.
        Check(BgmFile == file && BgmRepeat == repeat);
        if (operation != 1) Check(CdPolling == polling);
    }
    return 0;
}
