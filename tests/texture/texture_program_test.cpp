#include "texture/texture_program.hpp"

#include <gtest/gtest.h>

#include <cstring>
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

std::uint8_t* pixel(TextureBuilder& b, int layer, int x, int y) {
    return b.layer(layer) + (y * kLayerSize + x) * 3;
}

std::vector<std::uint8_t> copyOf(const TextureBuilder& b, int layer) {
    return {b.layer(layer), b.layer(layer) + kLayerBytes};
}

// FNV-1a over a layer: a compact fingerprint of every byte.
std::uint64_t fingerprint(const std::uint8_t* bytes) {
    std::uint64_t hash = 1469598103934665603ull;
    for (std::size_t i = 0; i < kLayerBytes; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

TEST(Random, FollowsTheRecurrence) {
    seedRandom(0);
    EXPECT_EQ(drawRandom(), 38);
    EXPECT_EQ(drawRandom(), 7719);
    EXPECT_EQ(drawRandom(), 21238);
}

TEST(TextureProgram, GeneratingOperations) {
    TextureBuilder b;
    runTextureProgram(b, program({{TextureOp::Radial, 0x02, 255}}));
    EXPECT_EQ(pixel(b, 0, 128, 128)[2], 255);
    EXPECT_EQ(pixel(b, 0, 130, 128)[2], 251);
    EXPECT_EQ(pixel(b, 0, 128, 1)[2], 1);
    EXPECT_EQ(pixel(b, 0, 128, 0)[2], 0);
    EXPECT_EQ(pixel(b, 0, 0, 0)[2], 0);
    EXPECT_EQ(pixel(b, 0, 128, 128)[0], 0) << "only the target channel is written";

    runTextureProgram(b, program({{TextureOp::Radial, 0x11, 0}}));
    for (int y = 0; y < 256; y += 51) {
        for (int x = 0; x < 256; x += 51) EXPECT_EQ(pixel(b, 1, x, y)[1], 255);
    }

    runTextureProgram(b, program({{TextureOp::Noise, 0x30, 0, 0, 0, 0, 0, 0, 0}}));
    const int expected[5] = {38, 69, 73, 142, 185};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(pixel(b, 3, x, 0)[0], expected[x]) << x;

    runTextureProgram(b, program({{TextureOp::Fill, 0x21, 77}}));
    EXPECT_EQ(pixel(b, 2, 255, 255)[1], 77);
    EXPECT_EQ(pixel(b, 2, 255, 255)[0], 0);
}

TEST(TextureProgram, EveryRunStartsFromBlackLayers) {
    TextureBuilder b;
    runTextureProgram(b, program({{TextureOp::Fill, 0x00, 200}, {TextureOp::Fill, 0x30, 9}}));
    runTextureProgram(b, program({}));
    for (int layer = 0; layer < kLayerCount; ++layer) {
        const auto bytes = copyOf(b, layer);
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), static_cast<long>(kLayerBytes));
    }
}

TEST(TextureProgram, FilteringOperations) {
    TextureBuilder b;
    auto withPixel = [&](std::uint8_t r, std::uint8_t g, std::uint8_t bl, Op op) {
        runTextureProgram(b, program({{TextureOp::Fill, 0x00, r},
                                      {TextureOp::Fill, 0x01, g},
                                      {TextureOp::Fill, 0x02, bl},
                                      op}));
        const std::uint8_t* p = pixel(b, 0, 17, 200);
        return std::vector<int>{p[0], p[1], p[2]};
    };
    using V = std::vector<int>;
    EXPECT_EQ(withPixel(100, 100, 100, {TextureOp::Ramp, 0, 0}), (V{255, 45, 0}));
    EXPECT_EQ(withPixel(100, 100, 100, {TextureOp::Ramp, 0, 5}), (V{0, 45, 255}));
    EXPECT_EQ(withPixel(100, 100, 100, {TextureOp::Ramp, 0, 3}), (V{0, 255, 45}));
    EXPECT_EQ(withPixel(255, 255, 255, {TextureOp::Ramp, 0, 0}), (V{255, 255, 255}));
    EXPECT_EQ(withPixel(1, 2, 3, {TextureOp::Ramp, 0, 6}), (V{1, 2, 3}));
    EXPECT_EQ(withPixel(200, 100, 127, {TextureOp::Brightness, 0, 64}), (V{73, 0, 0}));
    EXPECT_EQ(withPixel(200, 100, 0, {TextureOp::Brightness, 0, 128}), (V{201, 101, 1}));
    EXPECT_EQ(withPixel(200, 100, 0, {TextureOp::Brightness, 0, 255}), (V{255, 255, 255}));
    EXPECT_EQ(withPixel(200, 100, 0, {TextureOp::Brightness, 0, 0}), (V{0, 0, 0}));
    EXPECT_EQ(withPixel(10, 20, 31, {TextureOp::Grey, 0}), (V{20, 20, 20}));
}

TEST(TextureProgram, BlendingOperations) {
    TextureBuilder b;
    auto blend = [&](std::uint8_t d, std::uint8_t s, TextureOp op) {
        runTextureProgram(
            b, program({{TextureOp::Fill, 0x00, d}, {TextureOp::Fill, 0x20, s}, {op, 0x00, 0x20}}));
        return static_cast<int>(pixel(b, 0, 99, 3)[0]);
    };
    EXPECT_EQ(blend(128, 128, TextureOp::Multiply), 64);
    EXPECT_EQ(blend(255, 255, TextureOp::Multiply), 255);
    EXPECT_EQ(blend(200, 100, TextureOp::Add), 255);
    EXPECT_EQ(blend(20, 100, TextureOp::Add), 120);
    EXPECT_EQ(blend(20, 100, TextureOp::Subtract), 0);
    EXPECT_EQ(blend(120, 100, TextureOp::Subtract), 20);
    EXPECT_EQ(blend(120, 100, TextureOp::Darken), 100);
    EXPECT_EQ(blend(120, 100, TextureOp::Lighten), 120);
    EXPECT_EQ(blend(120, 100, TextureOp::Copy), 100);

    // a layer blended with itself
    runTextureProgram(b, program({{TextureOp::Fill, 0x10, 100}, {TextureOp::Add, 0x10, 0x10}}));
    EXPECT_EQ(pixel(b, 1, 0, 0)[0], 200);
}

TEST(TextureProgram, ShiftTranslatesWithWrapAround) {
    TextureBuilder b;
    const auto noise = program({{TextureOp::Noise, 0x00, 0, 0, 0, 0, 0, 0, 5},
                                {TextureOp::Noise, 0x01, 0, 0, 0, 0, 0, 0, 6},
                                {TextureOp::Noise, 0x02, 0, 0, 0, 0, 0, 0, 7}});
    runTextureProgram(b, noise);
    const auto before = copyOf(b, 0);

    auto shifted = noise;
    shifted[0] = 4;
    const auto shift = program({{TextureOp::Shift, 0x00, 48, 16}});
    shifted.insert(shifted.end(), shift.begin() + 1, shift.end());
    runTextureProgram(b, shifted);
    for (int y = 0; y < 256; y += 7) {
        for (int x = 0; x < 256; x += 5) {
            const std::uint8_t* now = pixel(b, 0, x, y);
            const std::uint8_t* old = &before[(((y + 16) % 256) * 256 + (x + 48) % 256) * 3];
            ASSERT_EQ(std::memcmp(now, old, 3), 0) << x << "," << y;
        }
    }
    EXPECT_EQ(std::memcmp(pixel(b, 0, 208, 240), before.data(), 3), 0);

    shifted[shifted.size() - 7] = 0;  // P1
    shifted[shifted.size() - 6] = 0;  // P2
    runTextureProgram(b, shifted);
    EXPECT_EQ(copyOf(b, 0), before);
}

TEST(TextureProgram, WaveWithoutAmplitudeLeavesTheLayer) {
    TextureBuilder b;
    auto bytes = program({{TextureOp::Noise, 0x00, 0, 0, 0, 0, 0, 0, 3},
                          {TextureOp::Noise, 0x02, 0, 0, 0, 0, 0, 0, 4},
                          {TextureOp::Wave, 0x00, 2, 2, 0, 0, 112, 144}});
    runTextureProgram(b, bytes);
    const auto waved = copyOf(b, 0);
    bytes[0] = 2;
    runTextureProgram(b, bytes);
    EXPECT_EQ(waved, copyOf(b, 0));
}

TEST(TextureProgram, WaveResamplesBelowTheExactBilinearValue) {
    // A flat layer stays within 3 of its value: each of the four terms is
    // truncated on its own, so the sum never exceeds the exact value.
    TextureBuilder b;
    runTextureProgram(b, program({{TextureOp::Fill, 0x00, 200},
                                  {TextureOp::Wave, 0x00, 2, 2, 32, 16, 112, 144}}));
    int lowest = 255, highest = 0;
    for (int i = 0; i < 256 * 256; ++i) {
        lowest = std::min<int>(lowest, b.layer(0)[i * 3]);
        highest = std::max<int>(highest, b.layer(0)[i * 3]);
    }
    EXPECT_LE(highest, 200);
    EXPECT_GE(lowest, 197);
    EXPECT_LT(lowest, 200) << "some pixels fall between samples";
}

TEST(TextureProgram, EveryInstructionSeedsTheGenerator) {
    TextureBuilder b;
    runTextureProgram(b, program({{static_cast<TextureOp>(4), 0x00, 1, 2, 3, 4, 5, 6, 42}}));
    const auto bytes = copyOf(b, 0);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), static_cast<long>(kLayerBytes));
    const std::int32_t next = drawRandom();
    seedRandom(42);
    EXPECT_EQ(next, drawRandom());
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
    for (int i = 0; i < 256 * 256; i += 97) {
        EXPECT_EQ(b.layer(0)[i * 3], 50);
        EXPECT_EQ(b.layer(0)[i * 3 + 1], 0);
        EXPECT_EQ(b.layer(0)[i * 3 + 2], 0);
    }
    const std::int32_t next = drawRandom();
    seedRandom(13);
    EXPECT_EQ(next, drawRandom());

    // a count byte that promises more than the bytes hold runs only whole instructions
    auto truncated = program({{TextureOp::Fill, 0x00, 60}, {TextureOp::Fill, 0x01, 70}});
    truncated[0] = 255;
    truncated.resize(truncated.size() - 1);  // the second instruction loses its seed byte
    runTextureProgram(b, truncated);
    EXPECT_EQ(pixel(b, 0, 5, 5)[0], 60);
    EXPECT_EQ(pixel(b, 0, 5, 5)[1], 0);

    runTextureProgram(b, std::span<const std::uint8_t>());
    EXPECT_EQ(pixel(b, 0, 5, 5)[0], 0);
}

TEST(BallTexture, IsTheSwirlOfThreeGlows) {
    TextureBuilder b;
    runTextureProgram(b, kBallTextureProgram);
    const std::uint8_t* image = b.layer(0);

    // Each channel holds one glow whose brightest point is where its disc was moved to.
    long total[3] = {};
    int brightest[3] = {};
    for (int i = 0; i < 256 * 256; ++i) {
        for (int c = 0; c < 3; ++c) {
            total[c] += image[i * 3 + c];
            brightest[c] = std::max<int>(brightest[c], image[i * 3 + c]);
        }
    }
    for (int c = 0; c < 3; ++c) {
        EXPECT_GT(brightest[c], 240) << "channel " << c;
        EXPECT_GT(total[c], 256L * 256 * 20) << "channel " << c;
        EXPECT_LT(total[c], 256L * 256 * 128) << "channel " << c;
    }
    // The generator is left freshly seeded with 0 by the last instruction.
    const std::int32_t next = drawRandom();
    EXPECT_EQ(next, 38);

    // Every byte, on every compiler: the picture is part of the product.
    EXPECT_EQ(fingerprint(image), 0x04f7380be7a66769ull);
}

}  // namespace
}  // namespace vorlune
