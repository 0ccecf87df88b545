// Loaded into a running renderer by the test driver (CreateRemoteThread on
// LoadLibraryA), run there in a thread of its own through ReportDisplayMode,
// then unloaded again (FreeLibrary), so the renderer is left as it was. Wine
// changes the colour depth for the calling process only, so this is the one
// place where a depth switch can be seen. Nothing runs in DllMain: the probe
// calls into the display driver, which must never happen under the loader
// lock while the renderer's own threads may be waiting for it.
#include <windows.h>

// The thread's exit code: the mode as width << 20 | height << 8 | bits per
// pixel, or 0 when EnumDisplaySettingsA failed.
extern "C" __declspec(dllexport) DWORD WINAPI ReportDisplayMode(void*) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return 0;
    return mode.dmPelsWidth << 20 | mode.dmPelsHeight << 8 | mode.dmBitsPerPel;
}
