#pragma once

#include <windows.h>

// What the display probe reports from inside the process it is loaded into:
// that process's own view of the current display mode. Wine changes the
// colour depth for the calling process only, so this is the one place where
// a depth switch can be seen.
struct DisplayProbeReport {
    DWORD filled;  // 1 once the probe has written the fields below
    DWORD bitsPerPixel;
    DWORD width;
    DWORD height;
};

// The shared memory the test driver creates and the probe fills.
inline constexpr const char* kDisplayProbeMapping = "Local\\VorluneDisplayProbe";
