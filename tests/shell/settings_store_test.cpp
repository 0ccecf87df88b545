// The settings store on the system's own profile and file services, run under
// Wine with code page 932 (LC_ALL=ja_JP.UTF-8), against real files.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "shell/settings_rules.hpp"
#include "shell/settings_values.hpp"
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
        CreateDirectoryA((folder_ + "\\music").c_str(), nullptr);
        ini_ = folder_ + "\\Vorlune.ini";
        BgmKind = 0;
        BgmRepeat = 0;
        BgmFile.clear();
        BgmFolder.clear();
    }
    void TearDown() override {
        for (const std::string& file : created_) DeleteFileA(file.c_str());
        DeleteFileA(ini_.c_str());
        RemoveDirectoryA((folder_ + "\\music").c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    // Through the system's ANSI calls, as the program names its files.
    void MakeFile(const std::string& path, const std::string& bytes) {
        const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
        DWORD written = 0;
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        created_.push_back(path);
    }
    std::string FileBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string folder_;
    std::string ini_;
    std::vector<std::string> created_;
};

TEST_F(SettingsStore, LoadsTheCodePage932KeysOrTheDefaultsWithoutAFile) {
    const std::string music = folder_ + "\\music\\a.wav";
    MakeFile(music, "RIFF");
    // As the settings dialog writes it: raw code page 932 bytes, CRLF.
    MakeFile(ini_,
             "[Section]\r\nBGM\x8b\xe6\x95\xaa= 2\r\nBGM\xd8\xcb\xdf\xb0\xc4= 3\r\n"
             "BGM\xcc\xa7\xb2\xd9=" +
                 music + "\r\n");
    LoadSettings(folder_ + "\\missing.ini", "C:\\Saver");
    EXPECT_EQ(BgmKind, 0);
    EXPECT_EQ(BgmFolder, "C:\\Saver");
    LoadSettings(ini_, "C:\\Saver");
    EXPECT_EQ(BgmKind, 2);
    EXPECT_EQ(BgmRepeat, 3);
    EXPECT_EQ(BgmFile, music);
    EXPECT_EQ(BgmFolder, folder_ + "\\music");
}

TEST_F(SettingsStore, WritesAndReadsValues) {
    WriteIni(kSection, kKindKey, FormatIniNumber(1), ini_);
    WriteIni(kSection, kRepeatKey, FormatIniNumber(-2), ini_);
    const std::string bytes = FileBytes(ini_);
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
    const std::string file = folder_ + "\\music\\b.mp3";
    MakeFile(file, "ID3");
    EXPECT_TRUE(FileExists(file + "\\"));
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
