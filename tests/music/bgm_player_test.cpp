#include "music/bgm_player.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "music/music_player.hpp"
#include "shell/settings_values.hpp"

namespace vorlune::saver {
namespace {

struct Sent {
    std::string command;
    std::uint32_t replyLength;  // 0 exactly when there is no reply buffer
};

struct Answer {
    std::uint32_t code = 0;
    std::string text;
};

// Answers each command from a script; an unscripted command succeeds with an
// empty reply. Like the real service it writes at most replyLength bytes and
// adds the NUL only when there is room for it.
class ScriptedMci final : public MciPort {
  public:
    std::map<std::string, Answer> script;
    std::vector<Sent> sent;
    std::string throwOn;

    std::uint32_t send(const std::string& command, char* reply,
                       std::uint32_t replyLength) override {
        EXPECT_EQ(reply == nullptr, replyLength == 0) << command;
        sent.push_back({command, replyLength});
        if (command == throwOn) throw std::runtime_error("the port gave up");
        const Answer answer = script.count(command) ? script.at(command) : Answer{};
        if (reply != nullptr) {
            const std::size_t n = std::min<std::size_t>(answer.text.size(), replyLength);
            std::memcpy(reply, answer.text.data(), n);
            if (n < replyLength) reply[n] = '\0';
        }
        return answer.code;
    }

    std::vector<std::string> commands() const {
        std::vector<std::string> texts;
        for (const Sent& s : sent) texts.push_back(s.command);
        return texts;
    }
};

class MusicTest : public ::testing::Test {
  protected:
    void SetUp() override {
        BgmRepeat = 0;
        BgmFile.clear();
        CdPolling = false;
    }
    void TearDown() override { SetUp(); }

    // One tick of a drive in the given state.
    void disc(const std::string& track, const std::string& mode) {
        mci.script["status cdaudio current track"] = {0, track};
        mci.script["status cdaudio number of tracks"] = {0, "12"};
        mci.script["status cdaudio mode"] = {0, mode};
        mci.script["status cdaudio position track 3"] = {0, "03:00:00:00"};
    }

    ScriptedMci mci;
};

using Commands = std::vector<std::string>;
const Commands cdQueries = {"status cdaudio current track", "status cdaudio number of tracks",
                            "status cdaudio mode"};

Commands with(Commands first, const Commands& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

TEST_F(MusicTest, RepliesAreReadUpToTheirNulAndNeverPastTheBuffer) {
    mci.script["status x"] = {0, std::string("short\0stale", 11)};
    EXPECT_EQ(MciCommand(mci, "status x").reply, "short");
    EXPECT_EQ(mci.sent.back().replyLength, 512u);
    // A reply that fills the buffer leaves no NUL: all 512 bytes, no more.
    mci.script["status x"] = {0, std::string(600, 'a')};
    EXPECT_EQ(MciCommand(mci, "status x").reply, std::string(512, 'a'));
    // The buffer is cleared between calls: nothing of the long reply remains.
    mci.script["status x"] = {0, "ok"};
    EXPECT_EQ(MciCommand(mci, "status x").reply, "ok");

    // A failed query reads as an error text; success with nothing to say stays empty.
    mci.script["status x"] = {263, "stopped"};
    EXPECT_EQ(MciQuery(mci, "status x"), "Error:263");
    EXPECT_EQ(MciQuery(mci, "status empty"), "");
}

// The mode compares exactly, on its first seven characters; the whole disc
// never looks at the track, a repeated one compares as a number.
TEST_F(MusicTest, DiscIsRestartedWhenStoppedARepeatedTrackFromItsStart) {
    const Commands play = {"play cdaudio"};
    const Commands restart = {"status cdaudio position track 3", "play cdaudio from 03:00:00:00"};
    const struct {
        std::int16_t repeat;
        const char* track;
        std::string mode;
        Commands then;
    } cases[] = {
        {0, "5", "playing", {}},      {0, "abc", "stopped", play},
        {0, "1", "Stopped", {}},      {0, "1", "stopped" + std::string(300, 's'), play},
        {3, "1", "stopped", restart},  // stopped on track 1 after opening
        {3, "4", "playing", restart},  // into the next track
        {3, "3", "stopped", restart},  // at the end of track 3
        {3, "3", "playing", {}},      {3, " 03 ", "playing", {}},
        {3, "+3.0\t", "playing", {}},
    };
    for (const auto& c : cases) {
        BgmRepeat = c.repeat;
        mci.sent.clear();
        disc(c.track, c.mode);
        CdPoll(mci);
        EXPECT_EQ(mci.commands(), with(cdQueries, c.then)) << c.repeat << " " << c.track;
        EXPECT_EQ(mci.sent[2].replyLength, 255u);
        EXPECT_TRUE(CdPolling);
    }
    // a track the drive cannot find: its error text goes on as the start
    mci.sent.clear();
    disc("1", "playing");
    mci.script["status cdaudio position track 3"] = {282, ""};
    CdPoll(mci);
    EXPECT_EQ(mci.commands(),
              with(cdQueries, {"status cdaudio position track 3", "play cdaudio from Error:282"}));
}

TEST_F(MusicTest, FailuresEndSupervision) {
    // no drive at all: the first query fails and nothing follows
    mci.script["status cdaudio current track"] = {266, "3"};
    CdPoll(mci);
    EXPECT_FALSE(CdPolling);
    EXPECT_EQ(mci.commands(), (Commands{"status cdaudio current track"}));

    // a drive that cannot count its tracks; an error spelt in the reply itself, in any case
    for (const auto& [track, count, sent] : {std::tuple{"3", 276u, 2u}, {"terror", 0u, 1u}}) {
        mci.sent.clear();
        disc(track, "stopped");
        mci.script["status cdaudio number of tracks"].code = count;
        CdPoll(mci);
        EXPECT_FALSE(CdPolling);
        EXPECT_EQ(mci.sent.size(), sent) << track;
    }

    // a repeated track the drive names with no number, playing or not
    BgmRepeat = 3;
    for (const char* track : {"", "3x", "--3", ".", "3 4", "1e2"}) {
        for (const char* mode : {"playing", "stopped"}) {
            mci.sent.clear();
            disc(track, mode);
            CdPoll(mci);
            EXPECT_FALSE(CdPolling) << track << " " << mode;
            EXPECT_EQ(mci.commands(), cdQueries) << track << " " << mode;
        }
    }

    // the port giving up inside a poll
    disc("1", "stopped");
    mci.throwOn = "status cdaudio mode";
    EXPECT_NO_THROW(CdPoll(mci));
    EXPECT_FALSE(CdPolling);
}

TEST_F(MusicTest, Mp3OpensQuotedPlaysOnlyOnSuccessAndRestartsWhenEnded) {
    BgmFile = "C:\\My Music\\a b.mp3";
    const std::string open = "open \"C:\\My Music\\a b.mp3\" type MPEGVideo Alias MP3Play";
    Mp3Open(mci);
    mci.script["status MP3Play mode"] = {0, "playing back"};
    Mp3Poll(mci);
    mci.script["status MP3Play mode"] = {0, "Playing"};  // exact, seven characters
    Mp3Poll(mci);
    Mp3Close(mci);
    CdOpen(mci);
    CdClose(mci);
    EXPECT_EQ(mci.commands(),
              (Commands{open, "play MP3Play", "status MP3Play mode", "status MP3Play mode",
                        "stop MP3Play", "play MP3Play from 0", "stop MP3Play", "close MP3Play",
                        "open cdaudio", "stop cdaudio", "close cdaudio"}));
    for (const Sent& s : mci.sent)
        EXPECT_EQ(s.replyLength, s.command == "status MP3Play mode" ? 30u : 0u) << s.command;

    // longer than the buffer: the service's first 30 bytes still say it; a failure says nothing
    mci.script["status MP3Play mode"] = {0, "playing" + std::string(40, '.')};
    EXPECT_TRUE(Mp3IsPlaying(mci));
    mci.script["status MP3Play mode"] = {263, ""};
    EXPECT_FALSE(Mp3IsPlaying(mci));

    mci.sent.clear();
    mci.script[open] = {277, ""};
    Mp3Open(mci);
    EXPECT_EQ(mci.commands(), (Commands{open}));
}

TEST_F(MusicTest, Mp3PathThatCannotTravelInTheCommandIsRefused) {
    // a quote of its own, one byte past the longest path, and the longest, which goes out whole
    for (const std::string& path :
         {std::string("C:\\a\" type waveaudio alias x \".mp3"),
          "C:\\" + std::string(253, 'a') + ".mp3", "C:\\" + std::string(252, 'a') + ".mp3"}) {
        BgmFile = path;
        mci.sent.clear();
        Mp3Open(mci);
        Mp3Poll(mci);
        Mp3Close(mci);
        EXPECT_EQ(mci.sent.size(), path.size() == 259 ? 7u : 0u) << path;
    }
    EXPECT_EQ(mci.sent[0].command, "open \"" + BgmFile + "\" type MPEGVideo Alias MP3Play");
}

class RecordedWave final : public WavePort {
  public:
    std::uint32_t devices = 0;
    std::vector<std::pair<std::string, std::uint32_t>> played;  // "(null)" for no name

    std::uint32_t waveOutDevices() override { return devices; }
    bool playSound(const char* name, std::uint32_t flags) override {
        played.emplace_back(name != nullptr ? name : "(null)", flags);
        return true;
    }
};

TEST_F(MusicTest, WavLoopsOnlyWithAWaveDeviceAndStops) {
    BgmFile = "C:\\My Music\\loop.wav";
    RecordedWave wave;
    WavPlay(wave);
    EXPECT_TRUE(wave.played.empty());

    wave.devices = 2;
    WavPlay(wave);
    WavStop(wave);
    using Calls = std::vector<std::pair<std::string, std::uint32_t>>;
    EXPECT_EQ(wave.played, (Calls{{"C:\\My Music\\loop.wav", 9u}, {"(null)", 0u}}));
}

}  // namespace
}  // namespace vorlune::saver
