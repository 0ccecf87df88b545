#include <time.h>

#include "frame/frame_clock.hpp"

namespace vorlune {

double clockSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

}  // namespace vorlune
