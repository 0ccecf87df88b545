#pragma once

#include <cstdlib>

// A property every input must keep: breaking it aborts, and libFuzzer keeps the input.
inline void Check(bool condition) {
    if (!condition) std::abort();
}
