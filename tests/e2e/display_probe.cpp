// Loaded into a running renderer by the test driver (CreateRemoteThread on
// LoadLibraryA), then run there in a thread of its own through
// ReportDisplayMode, then unloaded again (FreeLibrary), so the renderer is
// left as it was. Reports that process's display mode through shared memory.
#include "display_probe.hpp"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
    // Nothing here: this runs under the loader lock.
    return TRUE;
}

namespace {

DWORD fail(DisplayProbeReport* report, const char* call) {
    const DWORD error = GetLastError();
    if (report != nullptr) {
        lstrcpynA(report->failedCall, call, sizeof(report->failedCall));
        report->error = error;
    }
    return error != 0 ? error : ERROR_GEN_FAILURE;
}

}  // namespace

extern "C" __declspec(dllexport) DWORD WINAPI ReportDisplayMode(void*) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kDisplayProbeMapping);
    if (mapping == nullptr) return fail(nullptr, "OpenFileMappingA");
    auto* report = static_cast<DisplayProbeReport*>(
        MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(DisplayProbeReport)));
    if (report == nullptr) {
        const DWORD error = fail(nullptr, "MapViewOfFile");
        CloseHandle(mapping);
        return error;
    }
    DWORD status = 0;
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
        report->bitsPerPixel = mode.dmBitsPerPel;
        report->width = mode.dmPelsWidth;
        report->height = mode.dmPelsHeight;
        report->filled = 1;
    } else {
        status = fail(report, "EnumDisplaySettingsA");
    }
    UnmapViewOfFile(report);
    CloseHandle(mapping);
    return status;
}
