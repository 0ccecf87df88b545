// Paths for the ANSI entry points on a Western Windows (the test runs under
// code page 1252): spelt as they are where the code page can, by a short form
// that names the same folder where it cannot, and never by a look-alike such
// as "L" for "Ł", which would name another folder or none.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "forms/win32_text.hpp"

namespace vorlune::forms {
namespace {

TEST(AnsiPath, SpeltWhereTheCodePageCanElseByAShortFormOfTheSameFolder) {
    ASSERT_EQ(GetACP(), 1252u) << "run under LC_ALL=en_US.UTF-8";
    wchar_t temp[MAX_PATH] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    const std::wstring base = std::wstring(temp) + L"vorlune-text-test";
    CreateDirectoryW(base.c_str(), nullptr);
    const auto made = [&](const std::wstring& name) {
        const std::wstring folder = base + L"\\" + name;
        CreateDirectoryW(folder.c_str(), nullptr);
        const HANDLE probe = CreateFileW((folder + L"\\probe").c_str(), GENERIC_WRITE, 0, nullptr,
                                         CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(probe, INVALID_HANDLE_VALUE);
        CloseHandle(probe);
        return folder;
    };

    const std::optional<std::string> western = AnsiPath(made(L"\u00c9t\u00e9"));
    ASSERT_TRUE(western.has_value());
    EXPECT_EQ(western->substr(western->size() - 4), "\\\xc9t\xe9");

    for (const wchar_t* name : {L"\u0141\u00f3d\u017a", L"\u30e6\u30fc\u30b6\u30fc \u30d5\u30a9"}) {
        const std::optional<std::string> path = AnsiPath(made(name));
        ASSERT_TRUE(path.has_value());
        EXPECT_EQ(path->find('?'), std::string::npos) << *path;
        EXPECT_NE(GetFileAttributesA((*path + "\\probe").c_str()), INVALID_FILE_ATTRIBUTES)
            << *path << " is not the folder";
    }
    // A file not there yet: its folder's short form and its name; no path
    // at all where neither the folder nor the name can be had.
    const std::optional<std::string> toBe = AnsiPath(base + L"\\\u0141\u00f3d\u017a\\new.wav");
    ASSERT_TRUE(toBe.has_value());
    EXPECT_EQ(toBe->substr(toBe->size() - 8), "\\new.wav");
    EXPECT_EQ(toBe->find('?'), std::string::npos) << *toBe;
    EXPECT_FALSE(AnsiPath(base + L"\\\u0141\u00f3d\u017a\\\u0141.wav").has_value());
    EXPECT_FALSE(AnsiPath(base + L"\\gone\u0141\\new.wav").has_value());
}

}  // namespace
}  // namespace vorlune::forms
