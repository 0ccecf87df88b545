#include "shell/win32_settings_store.hpp"

#include <windows.h>

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
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) {
        traceFailedCall("GetModuleFileNameA");
        return "";
    }
    // The program's own path always has a "\" before its file name.
    return FolderOf(std::string(path, length));
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
