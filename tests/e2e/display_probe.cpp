// Loaded into a running renderer by the test driver (CreateRemoteThread on
// LoadLibraryA). Reports that process's display mode through shared memory
// and refuses to stay loaded, so the renderer is left as it was.
#include "display_probe.hpp"

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kDisplayProbeMapping);
    if (mapping == nullptr) return FALSE;
    auto* report = static_cast<DisplayProbeReport*>(
        MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(DisplayProbeReport)));
    if (report != nullptr) {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) {
            report->bitsPerPixel = mode.dmBitsPerPel;
            report->width = mode.dmPelsWidth;
            report->height = mode.dmPelsHeight;
            report->filled = 1;
        }
        UnmapViewOfFile(report);
    }
    CloseHandle(mapping);
    return FALSE;
}
