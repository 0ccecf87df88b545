#include <windows.h>

#include <cstdint>

#include "frame/frame_clock.hpp"

namespace vorlune {

namespace {

bool clockReady = false;
bool hasCounter = false;
std::int64_t clockFrequency = 1000;  // ticks per second

}  // namespace

double clockSeconds() {
    if (!clockReady) {
        LARGE_INTEGER frequency{};
        // A zero frequency would make every reading infinite: treat it as no counter.
        hasCounter = QueryPerformanceFrequency(&frequency) != 0 && frequency.QuadPart > 0;
        clockFrequency = hasCounter ? frequency.QuadPart : 1000;
        clockReady = true;
    }
    std::int64_t reading = 0;
    if (hasCounter) {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        reading = counter.QuadPart;
    } else {
        // Milliseconds since boot, wrapping after 49.7 days; the high half stays zero.
        reading = static_cast<std::int64_t>(static_cast<std::uint64_t>(GetTickCount()));
    }
    return static_cast<double>(reading) / static_cast<double>(clockFrequency);
}

}  // namespace vorlune
