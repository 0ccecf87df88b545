#pragma once

#include <windows.h>

// What the display probe reports from inside the process it is loaded into:
// that process's own view of the current display mode. Wine changes the
// colour depth for the calling process only, so this is the one place where
// a depth switch can be seen.
struct DisplayProbeReport {
    DWORD filled;  // 1 once the probe has written the mode fields below
    DWORD bitsPerPixel;
    DWORD width;
    DWORD height;
    char failedCall[32];  // when the probe could not report: the call that failed
    DWORD error;          // and its GetLastError
};

// The shared memory the test driver creates and the probe fills.
inline constexpr const char* kDisplayProbeMapping = "Local\\VorluneDisplayProbe";

// The probe's thread-start function, run by the driver in a thread of its own
// in the probed process once the probe is loaded there. It returns 0 when it
// filled the report. Nothing of this runs in DllMain: it calls into the
// display driver, which must never happen under the loader lock while the
// probed process's own threads may be waiting for that lock.
inline constexpr const char* kDisplayProbeEntry = "ReportDisplayMode";
