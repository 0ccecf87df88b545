#include "texture/texture_program.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "texture/random.hpp"

namespace vorlune {
namespace {

struct Op {
    TextureOp opcode;
    std::uint8_t target = 0;
    std::uint8_t p1 = 0, p2 = 0, p3 = 0, p4 = 0, p5 = 0, p6 = 0;
    std::uint8_t seed = 0;
};

std::vector<std::uint8_t> program(std::initializer_list<Op> ops) {
    std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(ops.size())};
    for (const Op& op : ops) {
        bytes.insert(bytes.end(), {static_cast<std::uint8_t>(op.opcode), op.target, op.p1, op.p2,
                                   op.p3, op.p4, op.p5, op.p6, op.seed});
    }
    return bytes;
}

std::vector<int> pixel(const TextureBuilder& b, int layer, int x, int y) {
    const std::uint8_t* p = b.layer(layer) + (y * kLayerSize + x) * 3;
    return {p[0], p[1], p[2]};
}

using V = std::vector<int>;

TEST(TextureProgram, GeneratingOperationsWriteOnlyTheirChannel) {
    TextureBuilder b;
    runTextureProgram(b, program({{TextureOp::Radial, 0x02, 255},
                                  {TextureOp::Noise, 0x30, 0, 0, 0, 0, 0, 0, 0},
                                  {TextureOp::Fill, 0x21, 77}}));
    EXPECT_EQ(pixel(b, 0, 128, 128), (V{0, 0, 255}));
    EXPECT_EQ(pixel(b, 0, 130, 128), (V{0, 0, 251}));
    EXPECT_EQ(pixel(b, 0, 128, 0), (V{0, 0, 0}));
    // the generator's values (38, 7719, 21238, ... from seed 0) modulo 255, row by row
    const int noise[5] = {38, 69, 73, 142, 185};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(pixel(b, 3, x, 0), (V{noise[x], 0, 0})) << x;
    EXPECT_EQ(pixel(b, 2, 255, 255), (V{0, 77, 0}));
}

TEST(TextureProgram, FilteringAndBlendingOperations) {
    // Layer 0 holds (r, g, b) at every pixel and layer 2 holds s in its red
    // channel before the operation runs on layer 0.
    const struct {
        int r, g, b, s;
        Op op;
        V expected;
    } cases[] = {
        {100, 100, 100, 0, {TextureOp::Ramp, 0, 0}, {255, 45, 0}},
        {100, 100, 100, 0, {TextureOp::Ramp, 0, 5}, {0, 45, 255}},
        {100, 100, 100, 0, {TextureOp::Ramp, 0, 3}, {0, 255, 45}},
        {1, 2, 3, 0, {TextureOp::Ramp, 0, 6}, {1, 2, 3}},
        {200, 100, 127, 0, {TextureOp::Brightness, 0, 64}, {73, 0, 0}},
        {200, 100, 0, 0, {TextureOp::Brightness, 0, 128}, {201, 101, 1}},
        {200, 100, 0, 0, {TextureOp::Brightness, 0, 255}, {255, 255, 255}},
        {10, 20, 31, 0, {TextureOp::Grey, 0}, {20, 20, 20}},
        {128, 0, 0, 128, {TextureOp::Multiply, 0x00, 0x20}, {64, 0, 0}},
        {255, 0, 0, 255, {TextureOp::Multiply, 0x00, 0x20}, {255, 0, 0}},
        {200, 0, 0, 100, {TextureOp::Add, 0x00, 0x20}, {255, 0, 0}},
        {20, 0, 0, 100, {TextureOp::Subtract, 0x00, 0x20}, {0, 0, 0}},
        {120, 0, 0, 100, {TextureOp::Subtract, 0x00, 0x20}, {20, 0, 0}},
        {120, 0, 0, 100, {TextureOp::Darken, 0x00, 0x20}, {100, 0, 0}},
        {120, 0, 0, 100, {TextureOp::Lighten, 0x00, 0x20}, {120, 0, 0}},
        {120, 9, 0, 100, {TextureOp::Copy, 0x00, 0x20}, {100, 0, 0}},
        {100, 0, 0, 0, {TextureOp::Add, 0x00, 0x00}, {200, 0, 0}},  // with itself
    };
    TextureBuilder b;
    for (const auto& c : cases) {
        runTextureProgram(b, program({{TextureOp::Fill, 0x00, static_cast<std::uint8_t>(c.r)},
                                      {TextureOp::Fill, 0x01, static_cast<std::uint8_t>(c.g)},
                                      {TextureOp::Fill, 0x02, static_cast<std::uint8_t>(c.b)},
                                      {TextureOp::Fill, 0x20, static_cast<std::uint8_t>(c.s)},
                                      c.op}));
        EXPECT_EQ(pixel(b, 0, 17, 200), c.expected)
            << "opcode " << static_cast<int>(c.op.opcode) << " P1 " << static_cast<int>(c.op.p1);
    }
}

TEST(TextureProgram, MalformedProgramsStayInsideTheirBuffers) {
    TextureBuilder b;
    // a layer or channel outside the data model changes nothing, but still seeds
    runTextureProgram(b, program({{TextureOp::Fill, 0x00, 50},
                                  {TextureOp::Fill, 0x40, 99},
                                  {TextureOp::Fill, 0xF0, 99},
                                  {TextureOp::Fill, 0x03, 99},
                                  {TextureOp::Radial, 0x0F, 99},
                                  {TextureOp::Brightness, 0x70, 255},
                                  {TextureOp::Wave, 0x90, 1, 1, 9, 9},
                                  {TextureOp::Copy, 0x00, 0x40},
                                  {TextureOp::Add, 0x00, 0xF0},
                                  {TextureOp::Noise, 0x05, 0, 0, 0, 0, 0, 0, 13}}));
    for (int i = 0; i < 256 * 256; i += 97) EXPECT_EQ(pixel(b, 0, i % 256, i / 256), (V{50, 0, 0}));
    const std::int32_t next = drawRandom();
    seedRandom(13);
    EXPECT_EQ(next, drawRandom());
}

TEST(BallTexture, EveryByteOnEveryCompiler) {
    TextureBuilder b;
    runTextureProgram(b, kBallTextureProgram);
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (std::size_t i = 0; i < kLayerBytes; ++i) hash = (hash ^ b.layer(0)[i]) * 1099511628211ull;
    EXPECT_EQ(hash, 0x04f7380be7a66769ull);
}

}  // namespace
}  // namespace vorlune
