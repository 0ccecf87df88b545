// The texture-program interpreter on arbitrary bytes. Beyond the sanitizers:
// the picture depends on nothing but the program's whole instructions (the
// same program run again, or rewritten with its count byte telling the truth
// and its trailing partial instruction dropped, paints the same layers), and
// a program whose instructions all name missing layers paints nothing.

#include "texture/texture_program.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "check.hpp"

namespace {

using vorlune::kInstructionBytes;
using vorlune::kLayerBytes;
using vorlune::kLayerCount;
using vorlune::TextureBuilder;

bool SameLayers(const TextureBuilder& a, const TextureBuilder& b) {
    for (int i = 0; i < kLayerCount; ++i) {
        if (std::memcmp(a.layer(i), b.layer(i), kLayerBytes) != 0) return false;
    }
    return true;
}

bool AllZero(const TextureBuilder& builder) {
    for (int i = 0; i < kLayerCount; ++i) {
        const std::uint8_t* layer = builder.layer(i);
        if (std::any_of(layer, layer + kLayerBytes, [](std::uint8_t v) { return v != 0; }))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Built once: four layers are 768 KiB, and every run clears them first.
    static TextureBuilder first;
    static TextureBuilder second;

    // A copy of exactly the given bytes, so that reading past them is caught.
    const std::vector<std::uint8_t> program(data, data + size);
    vorlune::runTextureProgram(first, program);
    if (program.empty()) {
        Check(AllZero(first));
        return 0;
    }

    const std::size_t whole = std::min<std::size_t>(program[0], (size - 1) / kInstructionBytes);
    std::vector<std::uint8_t> normal(
        program.begin(),
        program.begin() + 1 + static_cast<std::ptrdiff_t>(whole * kInstructionBytes));
    normal[0] = static_cast<std::uint8_t>(whole);
    // A program already in that form is run again as it is: nothing left
    // over from the first run may show.
    vorlune::runTextureProgram(second, normal);
    Check(SameLayers(first, second));

    bool paintsNothing = true;
    for (std::size_t n = 0; n < whole; ++n) {
        const std::uint8_t target = normal[1 + n * kInstructionBytes + 1];
        if ((target >> 4) < kLayerCount) paintsNothing = false;
    }
    Check(!paintsNothing || AllZero(first));
    return 0;
}
