#pragma once

#include <string>

namespace vorlune::saver {

// Whether a byte starts a two-byte character in the system code page: the
// lead-byte rule of shell_text.hpp for texts of this system.
bool IsSystemLeadByte(unsigned char byte);

// The settings store of the module Vorlune_B: the settings file and path
// operations on the system's profile and file services. Texts are in the
// system code page.
std::string ReadIni(const std::string& section, const std::string& key, const std::string& path);
// False when the value could not be written; the system's last error says why.
bool WriteIni(const std::string& section, const std::string& key, const std::string& value,
              const std::string& path);

// True when the path names a file that can be opened for reading (not a folder).
bool FileExists(const std::string& path);
std::string FolderOf(const std::string& path);

// The folder that holds this program, without a trailing "\", in the system
// code page: its short form where its name has characters the code page
// lacks. Empty when it has no such form (a volume that keeps no short names).
std::string ProgramFolder();

// Fills BgmKind, BgmRepeat, BgmFile and BgmFolder from Vorlune.ini beside the program.
void LoadSettings();
// The same from the given settings file, with folder standing for the program's.
void LoadSettings(const std::string& iniPath, const std::string& folder);

}  // namespace vorlune::saver
