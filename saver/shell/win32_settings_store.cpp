#include "shell/win32_settings_store.hpp"

#include <windows.h>

#include "forms/win32_text.hpp"
#include "frame/win32_error.hpp"
#include "shell/settings_rules.hpp"
#include "shell/settings_values.hpp"

namespace vorlune::saver {

bool IsSystemLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

std::string ReadIni(const std::string& section, const std::string& key, const std::string& path) {
    // Values are at most 255 bytes: the service cuts longer ones to fit.
    char reply[256] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", reply, sizeof(reply), path.c_str());
    return reply;
}

bool WriteIni(const std::string& section, const std::string& key, const std::string& value,
              const std::string& path) {
    if (WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.c_str())) {
        return true;
    }
    traceFailedCall("WritePrivateProfileStringA");
    return false;
}

bool FileExists(const std::string& path) {
    const std::string name = WithoutTrailingSeparator(path, IsSystemLeadByte);
    if (name.empty()) return false;
    const HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

std::string FolderOf(const std::string& path) {
    return saver::FolderOf(path, IsSystemLeadByte);
}

std::string ProgramFolder() {
    // Asked of the wide entry point: the ANSI one puts a "?" for every
    // character the system's code page lacks, and the folder found that way
    // does not exist.
    static const std::string folder = [] {
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length =
                GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
            if (length == 0) {
                traceFailedCall("GetModuleFileNameW");
                return std::string();
            }
            if (length < path.size()) {
                path.resize(length);
                break;
            }
            path.resize(path.size() * 2);
        }
        // The program's own path always has a "\" before its file name.
        std::wstring wide = path.substr(0, path.find_last_of(L'\\'));
        // The rest of the shell (the settings file, the renderer, the music)
        // goes through the ANSI entry points with the design's bytes.
        return forms::AnsiPath(wide).value_or(std::string());
    }();
    return folder;
}

void LoadSettings() {
    const std::string folder = ProgramFolder();
    LoadSettings(folder + kIniName, folder);
}

void LoadSettings(const std::string& iniPath, const std::string& folder) {
    SettingsValues values{BgmKind, BgmRepeat, BgmFile, BgmFolder};
    const SettingsSource source{[&](const char* key) { return ReadIni(kSection, key, iniPath); },
                                [](const std::string& path) { return FileExists(path); }, folder,
                                IsSystemLeadByte};
    LoadSettingsFrom(values, source);
    BgmKind = values.kind;
    BgmRepeat = values.repeat;
    BgmFile = values.file;
    BgmFolder = values.folder;
}

}  // namespace vorlune::saver
