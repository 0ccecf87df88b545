#include "music/bgm_player.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "music/music_player.hpp"
#include "shell/settings_values.hpp"

namespace vorlune::saver {
namespace {

struct Sent {
    std::string command;
    std::uint32_t replyLength;
    bool hasBuffer;
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
        sent.push_back({command, replyLength, reply != nullptr});
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

TEST_F(MusicTest, MciCommandReadsTheReplyUpToItsNulAndNeverPastTheBuffer) {
    mci.script["status x"] = {0, std::string("short\0stale", 11)};
    EXPECT_EQ(MciCommand(mci, "status x").reply, "short");
    EXPECT_EQ(mci.sent.back().replyLength, 512u);
    EXPECT_TRUE(mci.sent.back().hasBuffer);

    // A reply that fills the buffer leaves no NUL: all 512 bytes, no more.
    mci.script["status x"] = {0, std::string(600, 'a')};
    EXPECT_EQ(MciCommand(mci, "status x").reply, std::string(512, 'a'));

    // The buffer is cleared between calls, so a short reply after a long one
    // carries nothing of it.
    mci.script["status x"] = {0, "ok"};
    EXPECT_EQ(MciCommand(mci, "status x").reply, "ok");
}

TEST_F(MusicTest, MciQueryTurnsAFailureIntoAnErrorText) {
    mci.script["status cdaudio mode"] = {263, "stopped"};
    EXPECT_EQ(MciQuery(mci, "status cdaudio mode"), "Error:263");
    // too long for the buffer, as the service reports it
    mci.script["status long"] = {268, ""};
    EXPECT_EQ(MciQuery(mci, "status long"), "Error:268");
    mci.script["status ok"] = {0, "playing"};
    EXPECT_EQ(MciQuery(mci, "status ok"), "playing");
    // success with nothing to say stays empty; only failures say Error
    EXPECT_EQ(MciQuery(mci, "status empty"), "");
}

TEST_F(MusicTest, MciPlayBuildsFourCommandShapes) {
    mci.script["play cdaudio to 9"] = {282, ""};
    EXPECT_EQ(MciPlay(mci, "cdaudio", "3", "9"), 0u);
    EXPECT_EQ(MciPlay(mci, "cdaudio", "3", ""), 0u);
    EXPECT_EQ(MciPlay(mci, "cdaudio", "", "9"), 282u);
    EXPECT_EQ(MciPlay(mci, "cdaudio", "", ""), 0u);
    EXPECT_EQ(mci.commands(), (Commands{"play cdaudio from 3 to 9", "play cdaudio from 3",
                                        "play cdaudio to 9", "play cdaudio"}));
    EXPECT_EQ(mci.sent.back().replyLength, 512u);
}

TEST_F(MusicTest, CdOpenAndCloseSendWithoutAReplyBuffer) {
    CdOpen(mci);
    CdClose(mci);
    EXPECT_EQ(mci.commands(), (Commands{"open cdaudio", "stop cdaudio", "close cdaudio"}));
    for (const Sent& s : mci.sent) {
        EXPECT_FALSE(s.hasBuffer) << s.command;
        EXPECT_EQ(s.replyLength, 0u) << s.command;
    }
}

TEST_F(MusicTest, WholeDiscIsRestartedOnlyWhenStopped) {
    disc("5", "playing");
    CdPoll(mci);
    EXPECT_TRUE(CdPolling);
    EXPECT_EQ(mci.commands(), cdQueries);
    EXPECT_EQ(mci.sent[2].replyLength, 255u);

    mci.sent.clear();
    disc("1", "stopped");
    CdPoll(mci);
    EXPECT_TRUE(CdPolling);
    EXPECT_EQ(mci.commands(), with(cdQueries, {"play cdaudio"}));

    // the comparison is exact and looks at the first seven characters only
    for (const char* mode : {"Stopped", "stop", "paused", "not ready"}) {
        mci.sent.clear();
        disc("1", mode);
        CdPoll(mci);
        EXPECT_EQ(mci.commands(), cdQueries) << mode;
    }
    mci.sent.clear();
    disc("1", std::string(300, 's').replace(0, 7, "stopped"));
    CdPoll(mci);
    EXPECT_EQ(mci.commands(), with(cdQueries, {"play cdaudio"}));
}

TEST_F(MusicTest, RepeatedTrackIsResumedFromItsStart) {
    BgmRepeat = 3;
    // first tick after opening: the drive stands on track 1
    disc("1", "stopped");
    CdPoll(mci);
    const Commands restart =
        with(cdQueries, {"status cdaudio position track 3", "play cdaudio from 03:00:00:00"});
    EXPECT_EQ(mci.commands(), restart);

    // while track 3 plays, nothing is sent
    mci.sent.clear();
    disc("3", "playing");
    CdPoll(mci);
    EXPECT_EQ(mci.commands(), cdQueries);

    // into track 4: back to the start of track 3
    mci.sent.clear();
    disc("4", "playing");
    CdPoll(mci);
    EXPECT_EQ(mci.commands(), restart);

    // stopped at the end of a disc whose last track is 3
    mci.sent.clear();
    disc("3", "stopped");
    CdPoll(mci);
    EXPECT_EQ(mci.commands(), restart);
    EXPECT_TRUE(CdPolling);

    // track numbers compare as numbers
    mci.sent.clear();
    disc(" 03 ", "playing");
    CdPoll(mci);
    EXPECT_EQ(mci.commands(), cdQueries);
}

TEST_F(MusicTest, MissingRepeatTrackSendsTheErrorTextOnAndKeepsPolling) {
    BgmRepeat = 3;
    disc("1", "playing");
    mci.script["status cdaudio position track 3"] = {282, ""};
    CdPoll(mci);
    EXPECT_EQ(mci.commands(),
              with(cdQueries, {"status cdaudio position track 3", "play cdaudio from Error:282"}));
    EXPECT_TRUE(CdPolling);
}

TEST_F(MusicTest, FailedQueriesEndSupervision) {
    // no drive at all: the first query fails and nothing follows
    mci.script["status cdaudio current track"] = {266, "3"};
    CdPolling = false;
    CdPoll(mci);
    EXPECT_FALSE(CdPolling);
    EXPECT_EQ(mci.commands(), (Commands{"status cdaudio current track"}));

    // a drive that cannot count its tracks
    mci.sent.clear();
    disc("3", "stopped");
    mci.script["status cdaudio number of tracks"] = {276, ""};
    CdPoll(mci);
    EXPECT_FALSE(CdPolling);
    EXPECT_EQ(mci.commands(),
              (Commands{"status cdaudio current track", "status cdaudio number of tracks"}));

    // an error spelt in the reply itself, in any case
    mci.sent.clear();
    disc("terror", "stopped");
    CdPoll(mci);
    EXPECT_FALSE(CdPolling);
    EXPECT_EQ(mci.sent.size(), 1u);

    // each poll starts afresh
    mci.sent.clear();
    disc("3", "playing");
    CdPoll(mci);
    EXPECT_TRUE(CdPolling);
}

TEST_F(MusicTest, CurrentTrackThatIsNoNumberEndsSupervision) {
    BgmRepeat = 3;
    for (const char* track : {"abc", "", "3x", "--3", "."}) {
        for (const char* mode : {"playing", "stopped"}) {
            mci.sent.clear();
            disc(track, mode);
            CdPoll(mci);
            EXPECT_FALSE(CdPolling) << track << " " << mode;
            EXPECT_EQ(mci.commands(), cdQueries) << track << " " << mode;
        }
    }
    // the whole disc never compares the track
    BgmRepeat = 0;
    mci.sent.clear();
    disc("abc", "stopped");
    CdPoll(mci);
    EXPECT_TRUE(CdPolling);
    EXPECT_EQ(mci.commands(), with(cdQueries, {"play cdaudio"}));
}

TEST_F(MusicTest, PortFailureInsideAPollEndsSupervision) {
    disc("1", "stopped");
    mci.throwOn = "status cdaudio mode";
    EXPECT_NO_THROW(CdPoll(mci));
    EXPECT_FALSE(CdPolling);
}

TEST(ReplyNumberTest, ReadsSignedDecimalsBetweenBlanks) {
    EXPECT_EQ(ReplyNumber("3"), 3.0);
    EXPECT_EQ(ReplyNumber(" 12\t"), 12.0);
    EXPECT_EQ(ReplyNumber("-4"), -4.0);
    EXPECT_EQ(ReplyNumber("3.0"), 3.0);
    EXPECT_EQ(ReplyNumber("+.5"), 0.5);
    for (const char* bad : {"", " ", "abc", "3 4", "0x3", "1e2", "nan", "-", "3,0"}) {
        EXPECT_FALSE(ReplyNumber(bad).has_value()) << bad;
    }
}

TEST_F(MusicTest, Mp3OpensQuotedAndPlaysOnlyOnSuccess) {
    BgmFile = "C:\\My Music\\a b.mp3";
    const std::string open = "open \"C:\\My Music\\a b.mp3\" type MPEGVideo Alias MP3Play";
    Mp3Open(mci);
    EXPECT_EQ(mci.commands(), (Commands{open, "play MP3Play"}));
    for (const Sent& s : mci.sent) EXPECT_FALSE(s.hasBuffer);

    mci.sent.clear();
    mci.script[open] = {277, ""};
    Mp3Open(mci);
    EXPECT_EQ(mci.commands(), (Commands{open}));
}

TEST_F(MusicTest, Mp3PathThatCannotTravelInTheCommandIsRefused) {
    for (const std::string& path :
         {std::string("C:\\a\" type waveaudio alias x \".mp3"), std::string("C:\\\"a.mp3"),
          "C:\\" + std::string(253, 'a') + ".mp3"}) {
        BgmFile = path;
        mci.sent.clear();
        Mp3Open(mci);
        Mp3Poll(mci);
        Mp3Close(mci);
        EXPECT_TRUE(mci.sent.empty()) << path;
    }
    // the longest path still accepted goes out whole
    BgmFile = "C:\\" + std::string(252, 'a') + ".mp3";
    ASSERT_EQ(BgmFile.size(), 259u);
    mci.sent.clear();
    Mp3Open(mci);
    ASSERT_EQ(mci.sent.size(), 2u);
    EXPECT_EQ(mci.sent[0].command, "open \"" + BgmFile + "\" type MPEGVideo Alias MP3Play");
}

TEST_F(MusicTest, Mp3IsPlayingLooksAtTheFirstSevenCharacters) {
    const std::pair<const char*, bool> cases[] = {
        {"playing", true},  {"playing back", true}, {"Playing", false},
        {"stopped", false}, {"play", false},        {"", false},
    };
    for (const auto& [mode, playing] : cases) {
        mci.script["status MP3Play mode"] = {0, mode};
        EXPECT_EQ(Mp3IsPlaying(mci), playing) << mode;
        EXPECT_EQ(mci.sent.back().replyLength, 30u);
    }
    // longer than the buffer: the service's first 30 bytes still say it
    mci.script["status MP3Play mode"] = {0, "playing" + std::string(40, '.')};
    EXPECT_TRUE(Mp3IsPlaying(mci));
    // a failed query says nothing
    mci.script["status MP3Play mode"] = {263, ""};
    EXPECT_FALSE(Mp3IsPlaying(mci));
}

TEST_F(MusicTest, Mp3PollRestartsAnEndedFileAndCloseStopsIt) {
    BgmFile = "C:\\a.mp3";
    mci.script["status MP3Play mode"] = {0, "playing"};
    Mp3Poll(mci);
    EXPECT_EQ(mci.commands(), (Commands{"status MP3Play mode"}));

    mci.sent.clear();
    mci.script["status MP3Play mode"] = {0, "stopped"};
    Mp3Poll(mci);
    EXPECT_EQ(mci.commands(),
              (Commands{"status MP3Play mode", "stop MP3Play", "play MP3Play from 0"}));
    EXPECT_FALSE(mci.sent[1].hasBuffer);
    EXPECT_FALSE(mci.sent[2].hasBuffer);

    mci.sent.clear();
    Mp3Close(mci);
    EXPECT_EQ(mci.commands(), (Commands{"stop MP3Play", "close MP3Play"}));
}

class RecordedWave final : public WavePort {
  public:
    std::uint32_t devices = 0;
    int deviceQueries = 0;
    std::vector<std::pair<std::string, std::uint32_t>> played;  // "(null)" for no name

    std::uint32_t waveOutDevices() override {
        ++deviceQueries;
        return devices;
    }
    bool playSound(const char* name, std::uint32_t flags) override {
        played.emplace_back(name != nullptr ? name : "(null)", flags);
        return true;
    }
};

TEST_F(MusicTest, WavLoopsOnlyWithAWaveDeviceAndStops) {
    BgmFile = "C:\\My Music\\loop.wav";
    RecordedWave wave;
    WavPlay(wave);
    EXPECT_EQ(wave.deviceQueries, 1);
    EXPECT_TRUE(wave.played.empty());

    wave.devices = 2;
    WavPlay(wave);
    WavStop(wave);
    using Calls = std::vector<std::pair<std::string, std::uint32_t>>;
    EXPECT_EQ(wave.played, (Calls{{"C:\\My Music\\loop.wav", 9u}, {"(null)", 0u}}));
}

}  // namespace
}  // namespace vorlune::saver
