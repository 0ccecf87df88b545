#include "shell/settings_rules.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>

namespace vorlune::saver {
namespace {

TEST(SettingsTexts, AreCodePage932Bytes) {
    EXPECT_STREQ(kSection, "Section");
    EXPECT_STREQ(kKindKey, "BGM\x8b\xe6\x95\xaa");
    EXPECT_STREQ(kRepeatKey, "BGM\xd8\xcb\xdf\xb0\xc4");
    EXPECT_STREQ(kFileKey, "BGM\xcc\xa7\xb2\xd9");
    EXPECT_STREQ(kMissingRendererMessage,
                 "Vorlune.dll \x82\xaa\x93\xaf\x82\xb6\xcc\xab\xd9\xc0\xde\x82\xc9\x8c\xa9\x82\xc2"
                 "\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1\x81\x49");
}

TEST(ReadIniNumber, TakesTheIntegerPartRoundedDown) {
    const struct {
        const char* text;
        int value;
    } good[] = {
        {"", 0},
        {"0", 0},
        {"2", 2},
        {" 2", 2},
        {"2 ", 2},
        {"\t1\t", 1},
        {"1.7", 1},
        {"2.9", 2},
        {"-0.5", -1},
        {"-3", -3},
        {"+4", 4},
        {"5.", 5},
        {".5", 0},
        {"1e2", 100},
        {"32767", 32767},
        {"-32768", -32768},
        {"32767.9", 32767},
        {"-32767.5", -32768},
    };
    for (const auto& c : good) {
        const auto value = ReadIniNumber(c.text);
        ASSERT_TRUE(value.has_value()) << '"' << c.text << '"';
        EXPECT_EQ(*value, c.value) << '"' << c.text << '"';
    }
    const char* bad[] = {"garbage", "99999", "32768", "-32769", "-32768.5", "1 2", "2x",  "-",
                         ".",       "e3",    "1e",    "1e999",  "0x10",     "nan", "inf", " "};
    for (const char* text : bad)
        EXPECT_FALSE(ReadIniNumber(text).has_value()) << '"' << text << '"';
}

TEST(FormatIniNumber, LeadsWithABlankUnlessNegative) {
    EXPECT_EQ(FormatIniNumber(0), " 0");
    EXPECT_EQ(FormatIniNumber(2), " 2");
    EXPECT_EQ(FormatIniNumber(30), " 30");
    EXPECT_EQ(FormatIniNumber(-3), "-3");
    EXPECT_EQ(FormatIniNumber(-32768), "-32768");
    // What is written reads back as the same number.
    for (int value : {-32768, -1, 0, 1, 32767}) {
        EXPECT_EQ(ReadIniNumber(FormatIniNumber(static_cast<std::int16_t>(value))), value);
    }
}

TEST(FolderOf, CutsAtTheLastColonOrSeparator) {
    EXPECT_EQ(FolderOf("D:\\Music\\a.mp3", IsCp932LeadByte), "D:\\Music");
    EXPECT_EQ(FolderOf("D:\\a.mp3", IsCp932LeadByte), "D:");
    EXPECT_EQ(FolderOf("D:a.mp3", IsCp932LeadByte), "D:");
    EXPECT_EQ(FolderOf("a.mp3", IsCp932LeadByte), "");
    EXPECT_EQ(FolderOf("", IsCp932LeadByte), "");
    EXPECT_EQ(FolderOf("\\\\server\\share\\a.wav", IsCp932LeadByte), "\\\\server\\share");
    EXPECT_EQ(FolderOf("D:\\Music\\", IsCp932LeadByte), "D:\\Music");
    // "ソ" is 83 5C: its trail byte is no separator.
    EXPECT_EQ(FolderOf("D:\\\x83\x5c\x83\x74\x83\x67\\a.mp3", IsCp932LeadByte),
              "D:\\\x83\x5c\x83\x74\x83\x67");
    EXPECT_EQ(FolderOf("D:\\\x83\x5c.mp3", IsCp932LeadByte), "D:");
    EXPECT_EQ(FolderOf("D:\\\x83\x5c.mp3", IsSingleByte), "D:\\\x83");
}

TEST(PathEndings, RespectTwoByteCharacters) {
    EXPECT_EQ(WithoutTrailingSeparator("C:\\a.wav\\", IsCp932LeadByte), "C:\\a.wav");
    EXPECT_EQ(WithoutTrailingSeparator("C:\\a.wav", IsCp932LeadByte), "C:\\a.wav");
    EXPECT_EQ(WithoutTrailingSeparator("C:\\\x83\x5c", IsCp932LeadByte), "C:\\\x83\x5c");

    EXPECT_EQ(MusicFileOf("C:\\a.wav", IsCp932LeadByte), MusicFile::Wav);
    EXPECT_EQ(MusicFileOf("C:\\a.WaV", IsCp932LeadByte), MusicFile::Wav);
    EXPECT_EQ(MusicFileOf("C:\\a.Mp3", IsCp932LeadByte), MusicFile::Mp3);
    EXPECT_EQ(MusicFileOf("C:\\a.mid", IsCp932LeadByte), MusicFile::Other);
    EXPECT_EQ(MusicFileOf("wav", IsCp932LeadByte), MusicFile::Wav);
    EXPECT_EQ(MusicFileOf("av", IsCp932LeadByte), MusicFile::Other);
    EXPECT_EQ(MusicFileOf("", IsCp932LeadByte), MusicFile::Other);
    // A two-byte character ending in "w" (trail byte 77) is not the letter w.
    EXPECT_EQ(MusicFileOf("C:\\\x83\x77"
                          "av",
                          IsCp932LeadByte),
              MusicFile::Other);
    EXPECT_EQ(MusicFileOf("C:\\\x83\x77"
                          "av",
                          IsSingleByte),
              MusicFile::Wav);
}

// A settings file as LoadSettings sees it.
struct FakeSource {
    std::map<std::string, std::string> values;
    std::set<std::string> files;

    SettingsSource Source() const {
        return {[this](const char* key) {
                    const auto found = values.find(key);
                    return found == values.end() ? std::string() : found->second;
                },
                [this](const std::string& path) { return files.count(path) > 0; }, "C:\\Saver",
                IsCp932LeadByte};
    }
};

TEST(LoadSettings, FillsTheValuesFromTheFile) {
    FakeSource file;
    file.values = {{kKindKey, " 2"}, {kRepeatKey, " 3"}, {kFileKey, "D:\\Music\\a.mp3"}};
    file.files = {"D:\\Music\\a.mp3"};
    SettingsValues values;
    LoadSettingsFrom(values, file.Source());
    EXPECT_EQ(values.kind, 2);
    EXPECT_EQ(values.repeat, 3);
    EXPECT_EQ(values.file, "D:\\Music\\a.mp3");
    EXPECT_EQ(values.folder, "D:\\Music");
}

TEST(LoadSettings, FallsBackWhereTheFileFails) {
    {
        SCOPED_TRACE("missing file: all defaults");
        SettingsValues values;
        LoadSettingsFrom(values, FakeSource().Source());
        EXPECT_EQ(values.kind, 0);
        EXPECT_EQ(values.repeat, 0);
        EXPECT_EQ(values.file, "");
        EXPECT_EQ(values.folder, "C:\\Saver");
    }
    {
        SCOPED_TRACE("kind 2 with a music file that is gone");
        FakeSource file;
        file.values = {{kKindKey, "2"}, {kFileKey, "D:\\gone.wav"}};
        SettingsValues values;
        LoadSettingsFrom(values, file.Source());
        EXPECT_EQ(values.kind, 0);
        EXPECT_EQ(values.file, "");
        EXPECT_EQ(values.folder, "C:\\Saver");
    }
    {
        SCOPED_TRACE("kind 2 without a file key");
        FakeSource file;
        file.values = {{kKindKey, "2.9"}};
        SettingsValues values;
        LoadSettingsFrom(values, file.Source());
        EXPECT_EQ(values.kind, 0);
    }
    {
        SCOPED_TRACE("kind 1 without a file stays kind 1");
        FakeSource file;
        file.values = {{kKindKey, " 1"}, {kRepeatKey, "30"}};
        SettingsValues values;
        LoadSettingsFrom(values, file.Source());
        EXPECT_EQ(values.kind, 1);
        EXPECT_EQ(values.repeat, 30);
        EXPECT_EQ(values.folder, "C:\\Saver");
    }
    {
        SCOPED_TRACE("values that are no 16-bit number keep what was there");
        for (const char* bad : {"garbage", "99999", "-32769"}) {
            FakeSource file;
            file.values = {{kKindKey, bad}, {kRepeatKey, bad}};
            SettingsValues values;
            values.kind = 1;
            values.repeat = 4;
            LoadSettingsFrom(values, file.Source());
            EXPECT_EQ(values.kind, 1) << bad;
            EXPECT_EQ(values.repeat, 4) << bad;
        }
    }
    {
        SCOPED_TRACE("an empty value reads as 0");
        FakeSource file;
        file.values = {{kKindKey, ""}, {kRepeatKey, ""}};
        SettingsValues values;
        values.kind = 1;
        values.repeat = 4;
        LoadSettingsFrom(values, file.Source());
        EXPECT_EQ(values.kind, 0);
        EXPECT_EQ(values.repeat, 0);
    }
    {
        SCOPED_TRACE("a file without a folder part");
        FakeSource file;
        file.values = {{kKindKey, "2"}, {kFileKey, "a.wav"}};
        file.files = {"a.wav"};
        SettingsValues values;
        LoadSettingsFrom(values, file.Source());
        EXPECT_EQ(values.kind, 2);
        EXPECT_EQ(values.folder, "");
    }
}

}  // namespace
}  // namespace vorlune::saver
