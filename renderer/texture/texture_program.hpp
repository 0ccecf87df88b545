#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace vorlune {

inline constexpr int kLayerSize = 256;
inline constexpr std::size_t kLayerBytes = kLayerSize * kLayerSize * 3;  // RGB, row 0 first
inline constexpr int kLayerCount = 4;
inline constexpr std::size_t kInstructionBytes = 9;

// Opcodes of the texture programs. The high nibble is the group: 0x0_ generate
// one channel, 0x1_ filter colours, 0x2_ warp, 0x3_ blend; anything else is a no-op.
enum class TextureOp : std::uint8_t {
    Fill = 1,
    Noise = 2,
    Radial = 3,
    Brightness = 17,
    Ramp = 18,
    Grey = 19,
    Shift = 33,
    Wave = 34,
    Add = 49,
    Subtract = 50,
    Multiply = 51,
    Darken = 52,
    Lighten = 53,
    Copy = 54,
};

// Four 256 x 256 RGB working layers, zeroed on creation. Layer 0 holds the
// picture once a program has run.
class TextureBuilder {
  public:
    TextureBuilder();

    std::uint8_t* layer(int index) { return layers_[static_cast<std::size_t>(index)].get(); }
    const std::uint8_t* layer(int index) const {
        return layers_[static_cast<std::size_t>(index)].get();
    }

  private:
    std::array<std::unique_ptr<std::uint8_t[]>, kLayerCount> layers_;
};

// Runs a texture program: byte 0 is the instruction count, then 9-byte
// instructions (opcode, target, P1-P6, seed). The program is taken with its
// length: only whole instructions that lie inside it run, however many the
// count byte promises, and an instruction naming a layer or channel that does
// not exist changes no pixel (it still seeds the generator, like every other).
void runTextureProgram(TextureBuilder& builder, std::span<const std::uint8_t> program);

// The one program the renderer runs: a soft, wavy swirl of red, green and blue glows.
extern const std::array<std::uint8_t, 1 + 8 * kInstructionBytes> kBallTextureProgram;

}  // namespace vorlune
