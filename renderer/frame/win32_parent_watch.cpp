#include "frame/win32_parent_watch.hpp"

// After windows.h.
#include <tlhelp32.h>

#include <cstdint>
#include <string>

#include "frame/parent_watch.hpp"
#include "frame/win32_error.hpp"

namespace vorlune {

namespace {

struct ParentEntry {
    DWORD id = 0;
    std::string exeFile;
};

// The parent's process id and its program's file name, from the process list.
bool findParent(ParentEntry& parent) {
    SetLastError(0);
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        // Not being able to watch is no reason to stop the run: only a trace.
        traceFailedCall("CreateToolhelp32Snapshot (no watch over the shell)");
        return false;
    }
    const DWORD self = GetCurrentProcessId();
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    DWORD parentId = 0;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == self) {
            parentId = entry.th32ParentProcessID;
            break;
        }
    }
    bool found = false;
    if (parentId != 0) {
        entry.dwSize = sizeof(entry);
        for (BOOL more = Process32First(snapshot, &entry); more;
             more = Process32Next(snapshot, &entry)) {
            if (entry.th32ProcessID == parentId) {
                parent.id = parentId;
                parent.exeFile = entry.szExeFile;
                found = true;
                break;
            }
        }
    }
    CloseHandle(snapshot);
    // A parent already gone is not in the list: nothing to watch, nothing failed.
    return found;
}

std::uint64_t creationTime(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

}  // namespace

ParentWatch::ParentWatch() {
    ParentEntry entry;
    if (!findParent(entry) || !isShellProgram(entry.exeFile)) return;
    SetLastError(0);
    const HANDLE parent =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.id);
    if (parent == nullptr) {
        traceFailedCall("OpenProcess (no watch over the shell)");
        return;
    }
    if (!shouldWatchParent(entry.exeFile, creationTime(parent),
                           creationTime(GetCurrentProcess()))) {
        CloseHandle(parent);
        return;
    }
    parent_ = parent;
}

ParentWatch::~ParentWatch() {
    if (parent_ != nullptr) CloseHandle(parent_);
}

bool ParentWatch::ended() {
    if (parent_ == nullptr || WaitForSingleObject(parent_, 0) != WAIT_OBJECT_0) return false;
    CloseHandle(parent_);
    parent_ = nullptr;
    return true;
}

}  // namespace vorlune
