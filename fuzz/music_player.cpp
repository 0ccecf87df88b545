// The music player's CD and MP3 supervision against arbitrary replies. A fake
// command-string service answers every command with a code, a reply text and
// (during CdPoll, which promises to survive it) perhaps an exception, all
// taken from the input, which also gives the settings and the order of the
// operations. Every command must be one the Windows port can carry whole,
// every operation must end after a few commands, a CD position read must go
// on unchanged into the play command, and the settings must never change.

#include "music/music_player.hpp"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "check.hpp"
#include "music/bgm_player.hpp"
#include "shell/settings_values.hpp"

namespace {

using namespace vorlune::saver;

// The longest command the player builds: a play from a position that filled
// the whole reply buffer.
const std::size_t kLongestCommand = std::string("play cdaudio from ").size() + MciReplyLength;

struct Exchange {
    std::string command;
    std::string read;  // what the caller can read back as a query: the text, or the error
};

class FuzzedMci final : public MciPort {
  public:
    explicit FuzzedMci(FuzzedDataProvider& input) : input_(input) {}

    std::vector<Exchange> exchanges;
    bool mayThrow = false;
    bool threw = false;

    std::uint32_t send(const std::string& command, char* reply,
                       std::uint32_t replyLength) override {
        // The Windows port hands command.c_str() to the service: a NUL would
        // cut the command short.
        Check(command.find('\0') == std::string::npos);
        Check(command.size() <= kLongestCommand);
        Check((reply == nullptr) == (replyLength == 0));
        Check(exchanges.size() < 5);  // no operation needs more

        const std::uint8_t how = input_.ConsumeIntegral<std::uint8_t>();
        if (mayThrow && how == 0xFF) {
            threw = true;
            throw std::runtime_error("the port gave up");
        }
        const std::uint32_t code =
            how >= 0xC0 ? input_.ConsumeIntegralInRange<std::uint32_t>(1, 400) : 0;
        Exchange exchange{command, "Error:" + std::to_string(code)};
        if (reply != nullptr) {
            // Like the service: at most replyLength bytes, the NUL only when
            // there is room for it.
            const std::string text = input_.ConsumeRandomLengthString(MciReplyLength + 16);
            const std::size_t n = std::min<std::size_t>(text.size(), replyLength);
            std::memcpy(reply, text.data(), n);
            if (n < replyLength) reply[n] = '\0';
            if (code == 0)
                exchange.read.assign(text.data(), std::min(n, std::strlen(text.c_str())));
        }
        exchanges.push_back(exchange);
        return code;
    }

  private:
    FuzzedDataProvider& input_;
};

// A poll only asks the drive and at most starts it playing; a position it
// read goes on unchanged into the play command that follows.
void CheckCdPoll(const std::vector<Exchange>& sent) {
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const std::string& command = sent[i].command;
        Check(command.starts_with("status cdaudio ") || command.starts_with("play cdaudio"));
        if (command.starts_with("play cdaudio from "))
            Check(i > 0 && command == "play cdaudio from " + sent[i - 1].read);
    }
}

// Every operation but the change of settings (7); CdPoll is 1.
void (*const kOperations[])(MciPort&) = {
    CdOpen,  CdPoll,  CdClose, Mp3Open, [](MciPort& mci) { (void)Mp3IsPlaying(mci); },
    Mp3Poll, Mp3Close};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    FuzzedMci mci(input);

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
        const int operation = input.ConsumeIntegralInRange(0, 7);
        const std::string file = BgmFile;
        const std::int16_t repeat = BgmRepeat;
        const bool polling = CdPolling;
        mci.exchanges.clear();
        mci.mayThrow = operation == 1;
        mci.threw = false;

        if (operation == 7) {
            newSettings();
            continue;
        }
        kOperations[operation](mci);
        if (operation == 1) {
            CheckCdPoll(mci.exchanges);
            if (mci.threw) Check(!CdPolling);
        }
        // No operation touches the settings; only CdPoll the polling flag.
        Check(BgmFile == file && BgmRepeat == repeat);
        if (operation != 1) Check(CdPolling == polling);
    }
    return 0;
}
