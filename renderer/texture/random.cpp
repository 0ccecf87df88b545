#include "texture/random.hpp"

namespace vorlune {

namespace {
std::uint32_t randomState = 0;
}

void seedRandom(std::uint32_t seed) {
    randomState = seed;
}

std::int32_t drawRandom() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<std::int32_t>((randomState >> 16) & 0x7FFFu);
}

}  // namespace vorlune
