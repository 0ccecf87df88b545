#include "frame/parent_watch.hpp"

namespace vorlune {

namespace {

constexpr std::string_view kShellProgram = "Vorlune.scr";

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool isShellProgram(std::string_view exeFile) {
    if (exeFile.size() != kShellProgram.size()) return false;
    for (std::size_t i = 0; i < exeFile.size(); ++i) {
        if (lowerAscii(exeFile[i]) != lowerAscii(kShellProgram[i])) return false;
    }
    return true;
}

bool shouldWatchParent(std::string_view parentExeFile, std::uint64_t parentCreated,
                       std::uint64_t ownCreated) {
    if (!isShellProgram(parentExeFile)) return false;
    // Without both times the name has to do.
    if (parentCreated == 0 || ownCreated == 0) return true;
    return parentCreated <= ownCreated;
}

}  // namespace vorlune
