#pragma once

#include <cstdint>

namespace vorlune {

// The process-wide generator the texture programs seed and draw from. Its exact
// recurrence matters: pictures made with Noise depend on it.
void seedRandom(std::uint32_t seed);

// state = state * 214013 + 2531011 (mod 2^32); returns bits 16-30, 0..32767.
std::int32_t drawRandom();

}  // namespace vorlune
