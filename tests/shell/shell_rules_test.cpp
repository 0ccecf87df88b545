#include <gtest/gtest.h>

#include <cstdint>
#include <ios>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "shell/command_line.hpp"
#include "shell/renderer_watch.hpp"
#include "shell/settings_rules.hpp"
#include "shell/ui_texts.hpp"

namespace vorlune::saver {
namespace {

// The mode letter is the second character upper-cased; the host handle the
// number from the fourth: blanks inside it are skipped, halves round to even,
// and what lies beyond 32 bits is no handle. Characters, not bytes: "ア" is 83 41.
TEST(CommandLine, ModeLetterAndHostHandle) {
    // clang-format off
    const struct {
        const char* arguments;
        char letter;
        std::int32_t handle;
    } cases[] = {
        {"/s", 'S', 0}, {"-S", 'S', 0}, {"S", 0, 0}, {"", 0, 0}, {"  s", ' ', 0},
        {"/p 1234", 'P', 1234}, {"/c:1234", 'C', 1234}, {"/p", 'P', 0}, {"/p abc", 'P', 0},
        {"/p 12ab34", 'P', 12}, {"/p 1 2 3", 'P', 123}, {"/p 65538.5", 'P', 65538},
        {"/p 65539.5", 'P', 65540}, {"/p -7", 'P', -7}, {"/p 2147483647", 'P', 2147483647},
        {"/p 2147483648", 'P', 0}, {"/p 0x10", 'P', 0}, {"\x83\x41s", 'S', 0},
        {"/\x83\x41x42", 0, 42}, {"/\x83\x53", 0, 0}};
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(ModeLetter(c.arguments, IsCp932LeadByte), c.letter) << '"' << c.arguments << '"';
        EXPECT_EQ(HostHandle(c.arguments, IsCp932LeadByte), c.handle) << '"' << c.arguments << '"';
    }
    EXPECT_EQ(ModeLetter("\x83\x41s", IsSingleByte), 'A');
}

TEST(StartUpDecisions, FollowTheModeTable) {
    // A run or the settings dialog already open ends every new copy, previews too.
    EXPECT_EQ(DecideFirstStep(true, 'P'), FirstStep::EndSilently);
    EXPECT_EQ(DecideFirstStep(false, 'P'), FirstStep::Preview);
    EXPECT_EQ(DecideFirstStep(false, 'S'), FirstStep::LoadSettings);

    const struct {
        const char* arguments;
        bool rendererFound;
        SecondStep step;
        bool hideCursor;
    } cases[] = {
        {"/s", true, SecondStep::Run, true},
        {"", true, SecondStep::Run, false},
        {"/c:1234", true, SecondStep::SettingsDialog, false},
        {"/a", true, SecondStep::EndSilently, false},
        {"S", true, SecondStep::EndSilently, false},
        {"/s", false, SecondStep::MissingRenderer, false},
        {"", false, SecondStep::MissingRenderer, false},
    };
    for (const auto& c : cases) {
        const SecondDecision decision = DecideSecondStep(
            c.arguments, ModeLetter(c.arguments, IsCp932LeadByte), c.rendererFound);
        EXPECT_EQ(decision.step, c.step) << '"' << c.arguments << '"';
        EXPECT_EQ(decision.hideCursor, c.hideCursor) << '"' << c.arguments << '"';
    }

    // Hosts wider than 2184 pixels still get a preview; what does not fit gets none.
    EXPECT_EQ(PreviewTwips(2560, 15), 38400);
    EXPECT_EQ(PreviewTwips(200000000, 15), 0);
}

TEST(RendererWatch, WaitsForASlowRendererWithinTheGrace) {
    using enum WatchVerdict;
    const RendererProcess alive{false, 0};
    RendererWatch watch;
    // A cold driver: no window at the first ticks, the process still alive.
    EXPECT_EQ(watch.Tick(false, alive, 500), GoOn);
    EXPECT_EQ(watch.Tick(false, alive, 3000), GoOn);
    EXPECT_EQ(watch.Tick(true, alive, 3500), GoOn);
    EXPECT_EQ(watch.Tick(true, alive, 60000), GoOn);
    // The window went: the run ends at this tick, even while the process winds down.
    EXPECT_EQ(watch.Tick(false, alive, 60500), End);

    RendererWatch late;
    EXPECT_EQ(late.Tick(false, alive, 9500), GoOn);
    EXPECT_EQ(late.Tick(false, alive, RendererWatch::kStartGraceMs), End);
    // Some other program's window of that caption does not keep us.
    RendererWatch foreign;
    EXPECT_EQ(foreign.Tick(true, alive, 500), GoOn);
    EXPECT_EQ(foreign.Tick(true, {true, 0}, 1000), End);
}

// The renderer gives the display back on each of its own ways out, all of
// which return 0; a process that ended with any other code (a crash, a kill)
// left it to the shell. One that never started changed nothing.
TEST(RendererWatch, GivesTheDisplayBackOnlyAfterARendererThatDidNotEndByItself) {
    using enum WatchVerdict;
    for (const bool window : {false, true}) {
        for (const std::uint32_t sinceStartMs : {500u, 60000u}) {
            EXPECT_EQ(RendererWatch().Tick(window, {true, 0}, sinceStartMs), End);
            for (const std::uint32_t code : {1u, 9u, 0xC0000005u, 0xFFFFFFFFu}) {
                EXPECT_EQ(RendererWatch().Tick(window, {true, code}, sinceStartMs),
                          RestoreDisplayAndEnd)
                    << code << " window " << window << " at " << sinceStartMs;
            }
        }
    }
}

TEST(SettingsTexts, AreCodePage932Bytes) {
    EXPECT_STREQ(kSection, "Section");
    EXPECT_STREQ(kKindKey, "BGM\x8b\xe6\x95\xaa");
    EXPECT_STREQ(kRepeatKey, "BGM\xd8\xcb\xdf\xb0\xc4");
    EXPECT_STREQ(kFileKey, "BGM\xcc\xa7\xb2\xd9");
}

// Japanese for every Japanese locale (LANG_JAPANESE, whatever the
// sublanguage), English for everyone else.
TEST(UiLanguage, JapaneseOnlyForJapanese) {
    EXPECT_EQ(LanguageFor(0x0411), UiLanguage::Japanese);
    EXPECT_EQ(LanguageFor(0x0011), UiLanguage::Japanese);
    EXPECT_EQ(LanguageFor(0x0c11), UiLanguage::Japanese);
    for (const int other : {0x0409, 0x0809, 0x040c, 0x0412, 0x0804, 0x0000, 0x1000}) {
        EXPECT_EQ(LanguageFor(static_cast<std::uint16_t>(other)), UiLanguage::English)
            << std::hex << other;
    }
}

TEST(IniNumbers, ReadTheIntegerPartRoundedDownAndWriteWithASignBlank) {
    const struct {
        const char* text;
        int value;
    } good[] = {
        {"", 0},      {" 2", 2},          {"\t1\t", 1},       {"2.9", 2},
        {"-0.5", -1}, {"+4", 4},          {"5.", 5},          {".5", 0},
        {"1e2", 100}, {"-32768", -32768}, {"32767.9", 32767}, {"-32767.5", -32768},
    };
    for (const auto& c : good) {
        const auto value = ReadIniNumber(c.text);
        ASSERT_TRUE(value.has_value()) << '"' << c.text << '"';
        EXPECT_EQ(*value, c.value) << '"' << c.text << '"';
    }
    for (const char* text : {"garbage", "32768", "-32768.5", "1 2", "2x", "-", ".", "e3", "1e",
                             "7e", "1e999", "0x10", "nan", "inf", " "})
        EXPECT_FALSE(ReadIniNumber(text).has_value()) << '"' << text << '"';

    EXPECT_EQ(FormatIniNumber(2), " 2");
    EXPECT_EQ(FormatIniNumber(-32768), "-32768");
}

TEST(Paths, RespectTwoByteCharacters) {
    EXPECT_EQ(FolderOf("D:\\Music\\a.mp3", IsCp932LeadByte), "D:\\Music");
    EXPECT_EQ(FolderOf("D:a.mp3", IsCp932LeadByte), "D:");
    EXPECT_EQ(FolderOf("a.mp3", IsCp932LeadByte), "");
    EXPECT_EQ(FolderOf("\\\\server\\share\\a.wav", IsCp932LeadByte), "\\\\server\\share");
    // "ソ" is 83 5C: its trail byte is no separator.
    EXPECT_EQ(FolderOf("D:\\\x83\x5c\x83\x74\\a.mp3", IsCp932LeadByte), "D:\\\x83\x5c\x83\x74");
    EXPECT_EQ(FolderOf("D:\\\x83\x5c.mp3", IsSingleByte), "D:\\\x83");
    EXPECT_EQ(WithoutTrailingSeparator("C:\\a.wav\\", IsCp932LeadByte), "C:\\a.wav");
    EXPECT_EQ(WithoutTrailingSeparator("C:\\\x83\x5c", IsCp932LeadByte), "C:\\\x83\x5c");

    EXPECT_EQ(MusicFileOf("C:\\a.WaV", IsCp932LeadByte), MusicFile::Wav);
    EXPECT_EQ(MusicFileOf("C:\\a.Mp3", IsCp932LeadByte), MusicFile::Mp3);
    EXPECT_EQ(MusicFileOf("C:\\a.mid", IsCp932LeadByte), MusicFile::Other);
    EXPECT_EQ(MusicFileOf("av", IsCp932LeadByte), MusicFile::Other);
    // A two-byte character ending in "w" (trail byte 77) is not the letter w.
    EXPECT_EQ(MusicFileOf("C:\\\x83\x77\x61\x76", IsCp932LeadByte), MusicFile::Other);
    EXPECT_EQ(MusicFileOf("C:\\\x83\x77\x61\x76", IsSingleByte), MusicFile::Wav);
}

// A settings file as LoadSettings sees it, and the kind, repeat, file and
// folder it leaves.
using Loaded = std::tuple<int, int, std::string, std::string>;
Loaded Load(std::map<std::string, std::string> file, std::set<std::string> files = {},
            SettingsValues values = {}) {
    const SettingsSource source{[&file](const char* key) { return file[key]; },
                                [&files](const std::string& path) { return files.count(path) > 0; },
                                "C:\\Saver", IsCp932LeadByte};
    LoadSettingsFrom(values, source);
    return {values.kind, values.repeat, values.file, values.folder};
}

TEST(LoadSettings, TakesWhatTheFileHoldsAndFallsBackWhereItFails) {
    EXPECT_EQ(
        Load({{kKindKey, " 2"}, {kRepeatKey, " 3"}, {kFileKey, "D:\\M\\a.mp3"}}, {"D:\\M\\a.mp3"}),
        (Loaded{2, 3, "D:\\M\\a.mp3", "D:\\M"}));
    // no file at all: the defaults, and the program's folder to choose from
    EXPECT_EQ(Load({}), (Loaded{0, 0, "", "C:\\Saver"}));
    // kind 2 whose music file is gone, or never named, falls back to none
    EXPECT_EQ(Load({{kKindKey, "2"}, {kFileKey, "D:\\gone.wav"}}), (Loaded{0, 0, "", "C:\\Saver"}));
    EXPECT_EQ(Load({{kKindKey, " 1"}}), (Loaded{1, 0, "", "C:\\Saver"}));

    // values that are no 16-bit number keep what was there; an empty one reads as 0
    const SettingsValues before{1, 4, "", ""};
    for (const char* bad : {"garbage", "99999", "-32769"}) {
        EXPECT_EQ(Load({{kKindKey, bad}, {kRepeatKey, bad}}, {}, before),
                  (Loaded{1, 4, "", "C:\\Saver"}))
            << bad;
    }
    EXPECT_EQ(Load({{kKindKey, ""}, {kRepeatKey, ""}}, {}, before),
              (Loaded{0, 0, "", "C:\\Saver"}));
}

}  // namespace
}  // namespace vorlune::saver
