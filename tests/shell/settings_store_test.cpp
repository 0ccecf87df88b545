// The settings store on the system's own profile and file services, run under
// Wine with code page 932 (LC_ALL=ja_JP.UTF-8), against real files. (The shell's
// and the dialog's scenarios load and save Vorlune.ini through it.)
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "shell/settings_rules.hpp"
#include "shell/win32_settings_store.hpp"

namespace vorlune::saver {
namespace {

// "ソフト": its first character's trail byte is the byte of "\". (Only in
// texts: Wine cannot name such files without a Japanese Unix locale.)
constexpr char kSoftware[] = "\x83\x5c\x83\x74\x83\x67";

class SettingsStore : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 932u) << "run under LC_ALL=ja_JP.UTF-8";
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof(temp), temp);
        folder_ = std::string(temp) + "vorlune-store-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
        ini_ = folder_ + "\\Vorlune.ini";
        music_ = folder_ + "\\b.mp3";
    }
    void TearDown() override {
        DeleteFileA(ini_.c_str());
        DeleteFileA(music_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    std::string folder_, ini_, music_;
};

TEST_F(SettingsStore, WritesAndReadsValues) {
    WriteIni(kSection, kKindKey, FormatIniNumber(1), ini_);
    WriteIni(kSection, kRepeatKey, FormatIniNumber(-2), ini_);
    std::ifstream in(ini_, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    in.close();
    EXPECT_NE(bytes.find("[Section]"), std::string::npos) << bytes;
    // The keys are stored as code page 932 bytes. (Wine drops the value's
    // leading blank when it writes; reading strips it on every system.)
    EXPECT_NE(bytes.find("BGM\x8b\xe6\x95\xaa="), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("BGM\xd8\xcb\xdf\xb0\xc4=-2"), std::string::npos) << bytes;
    EXPECT_EQ(ReadIniNumber(ReadIni(kSection, kKindKey, ini_)), 1);
    EXPECT_EQ(ReadIni(kSection, kRepeatKey, ini_), "-2");

    // Values are cut to 255 bytes.
    WriteIni(kSection, kFileKey, std::string(300, 'x'), ini_);
    EXPECT_EQ(ReadIni(kSection, kFileKey, ini_), std::string(255, 'x'));

    EXPECT_EQ(ReadIni("Other", kKindKey, ini_), "");
}

TEST_F(SettingsStore, FileExistsOnlyForReadableFiles) {
    std::ofstream(music_) << "ID3";
    EXPECT_TRUE(FileExists(music_ + "\\"));
    EXPECT_FALSE(FileExists(folder_ + "\\"));
    EXPECT_FALSE(FileExists(folder_ + "\\missing.wav"));
    EXPECT_FALSE(FileExists(""));
    // Under code page 932 the system's lead bytes are Shift-JIS ones.
    EXPECT_EQ(FolderOf(std::string("C:\\") + kSoftware + "\\a.mp3"),
              std::string("C:\\") + kSoftware);
    EXPECT_EQ(FolderOf("C:\\\x83\x5c.mp3"), "C:");
}

}  // namespace
}  // namespace vorlune::saver
