#include "texture/texture_program.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "geometry/vector3.hpp"
#include "texture/random.hpp"

namespace vorlune {

namespace {

struct Instruction {
    std::uint8_t opcode;
    std::uint8_t target;  // high nibble layer, low nibble channel
    std::uint8_t p[6];    // P1 .. P6
    std::uint8_t seed;

    int layer() const { return target >> 4; }
    int channel() const { return target & 0x0F; }
    int param(int n) const { return p[n - 1]; }
};

int clampByte(int v) {
    return std::min(std::max(v, 0), 255);
}

// The copy of the layer being warped. Made by the first warp and kept, at the
// same size, for the rest of the process.
std::unique_ptr<std::uint8_t[]> warpSnapshot;

// One channel of every pixel, from value(x, y). A channel past blue changes nothing.
template <class Value>
void generate(std::uint8_t* layer, int channel, Value value) {
    if (channel > 2) return;
    std::uint8_t* pixel = layer + channel;
    for (int y = 0; y < kLayerSize; ++y) {
        for (int x = 0; x < kLayerSize; ++x) {
            *pixel = static_cast<std::uint8_t>(value(x, y));
            pixel += 3;
        }
    }
}

template <class Filter>
void filterPixels(std::uint8_t* layer, Filter filter) {
    for (std::size_t i = 0; i < kLayerBytes; i += 3) filter(layer + i);
}

int radialValue(int x, int y, int p1) {
    const int dx = x - 128;
    const int dy = y - 128;
    const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
    return clampByte(255 - static_cast<int>((d + d) * (p1 / 255.0)));
}

void ramp(std::uint8_t* pixel, int order) {
    // first, second and third channel for each order P1 = 0..5
    static constexpr int kOrders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                          {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    if (order > 5) return;
    const int sum = pixel[0] + pixel[1] + pixel[2];
    const int* o = kOrders[order];
    pixel[o[0]] = static_cast<std::uint8_t>(clampByte(sum));
    pixel[o[1]] = static_cast<std::uint8_t>(clampByte(sum - 255));
    pixel[o[2]] = static_cast<std::uint8_t>(clampByte(sum - 510));
}

// One weighted sample, truncated on its own before the four are summed.
int weightedTerm(std::uint8_t sample, float weight) {
    return clampByte(static_cast<int>(sample * static_cast<double>(weight)));
}

// Bilinear resampling with wrap-around; sourceOf(x, y) gives the single-precision
// source position of each pixel. Every source coordinate lies above -256.
template <class SourceOf>
void warp(std::uint8_t* layer, SourceOf sourceOf) {
    if (!warpSnapshot) warpSnapshot = std::make_unique<std::uint8_t[]>(kLayerBytes);
    const std::uint8_t* snapshot = warpSnapshot.get();
    std::memcpy(warpSnapshot.get(), layer, kLayerBytes);

    auto sampleAt = [snapshot](int u, int v) {
        return snapshot + (static_cast<std::size_t>(v & 255) * kLayerSize + (u & 255)) * 3;
    };
    std::uint8_t* out = layer;
    for (int y = 0; y < kLayerSize; ++y) {
        for (int x = 0; x < kLayerSize; ++x) {
            auto [fx, fy] = sourceOf(x, y);
            fx += 256.0f;
            fy += 256.0f;
            const int ix = static_cast<int>(fx);
            const int iy = static_cast<int>(fy);
            const float ax = fx - static_cast<float>(ix);
            const float ay = fy - static_cast<float>(iy);
            const float w00 = (1.0f - ax) * (1.0f - ay);
            const float w10 = (1.0f - ay) * ax;
            const float w01 = (1.0f - ax) * ay;
            const float w11 = ax * ay;
            const std::uint8_t* s00 = sampleAt(ix, iy);
            const std::uint8_t* s10 = sampleAt(ix + 1, iy);
            const std::uint8_t* s01 = sampleAt(ix, iy + 1);
            const std::uint8_t* s11 = sampleAt(ix + 1, iy + 1);
            for (int c = 0; c < 3; ++c) {
                int v = weightedTerm(s00[c], w00);
                v = std::min(v + weightedTerm(s10[c], w10), 255);
                v = std::min(v + weightedTerm(s01[c], w01), 255);
                v = std::min(v + weightedTerm(s11[c], w11), 255);
                out[c] = static_cast<std::uint8_t>(v);
            }
            out += 3;
        }
    }
}

// A whole-pixel move: the bilinear weights are 1, 0, 0 and 0, so each pixel
// simply takes the value of the one (dx, dy) further on, wrapping around.
void shift(std::uint8_t* layer, int dx, int dy) {
    if (!warpSnapshot) warpSnapshot = std::make_unique<std::uint8_t[]>(kLayerBytes);
    std::memcpy(warpSnapshot.get(), layer, kLayerBytes);
    const std::size_t rowBytes = kLayerSize * 3;
    for (int y = 0; y < kLayerSize; ++y) {
        const std::uint8_t* from =
            warpSnapshot.get() + static_cast<std::size_t>((y + dy) & 255) * rowBytes;
        std::uint8_t* to = layer + static_cast<std::size_t>(y) * rowBytes;
        const std::size_t first = static_cast<std::size_t>(dx & 255) * 3;
        std::memcpy(to, from + first, rowBytes - first);
        std::memcpy(to + (rowBytes - first), from, first);
    }
}

struct SourcePoint {
    float x;
    float y;
};

void wave(std::uint8_t* layer, const Instruction& in) {
    // pi in single precision, divided in double precision
    const double k = static_cast<double>(3.1415927f) / 127.5;
    const int p1 = in.param(1), p2 = in.param(2), p3 = in.param(3);
    const int p4 = in.param(4), p5 = in.param(5), p6 = in.param(6);
    // The horizontal displacement depends on the row only and the vertical one
    // on the column only: one sine per row and per column serves every pixel.
    double alongRow[kLayerSize];
    double alongColumn[kLayerSize];
    for (int n = 0; n < kLayerSize; ++n) {
        const float ux = static_cast<float>((n * k) * p1 + p5);
        const float uy = static_cast<float>((n * k) * p2 + p6);
        alongRow[n] = sine(ux);
        alongColumn[n] = sine(uy);
    }
    warp(layer, [&](int x, int y) {
        const float fx = static_cast<float>(alongRow[y] * p3 + x);
        const float fy = static_cast<float>(alongColumn[x] * p4 + y);
        return SourcePoint{fx, fy};
    });
}

// The layer P1's high nibble names, or null when there is no such layer.
const std::uint8_t* sourceLayer(const TextureBuilder& builder, const Instruction& in) {
    const int index = in.param(1) >> 4;
    return index < kLayerCount ? builder.layer(index) : nullptr;
}

// Every byte of the destination combined with the source's. No source layer
// changes nothing.
template <class Blend>
void blend(std::uint8_t* destination, const std::uint8_t* source, Blend op) {
    if (source == nullptr) return;
    for (std::size_t i = 0; i < kLayerBytes; ++i) {
        destination[i] = static_cast<std::uint8_t>(op(destination[i], source[i]));
    }
}

void brighten(std::uint8_t* layer, int p1) {
    const int delta = 2 * p1 - 255;
    filterPixels(layer, [delta](std::uint8_t* px) {
        for (int c = 0; c < 3; ++c) px[c] = static_cast<std::uint8_t>(clampByte(px[c] + delta));
    });
}

void grey(std::uint8_t* pixel) {
    const auto g = static_cast<std::uint8_t>((pixel[0] + pixel[1] + pixel[2]) / 3);
    pixel[0] = pixel[1] = pixel[2] = g;
}

void execute(TextureBuilder& builder, const Instruction& in) {
    if (in.layer() >= kLayerCount) return;  // no such layer: nothing to change
    std::uint8_t* layer = builder.layer(in.layer());
    const int p1 = in.param(1);
    switch (static_cast<TextureOp>(in.opcode)) {
        case TextureOp::Fill:
            generate(layer, in.channel(), [p1](int, int) { return p1; });
            break;
        case TextureOp::Noise:
            generate(layer, in.channel(), [](int, int) { return drawRandom() % 255; });
            break;
        case TextureOp::Radial:
            generate(layer, in.channel(), [p1](int x, int y) { return radialValue(x, y, p1); });
            break;
        case TextureOp::Brightness:
            brighten(layer, p1);
            break;
        case TextureOp::Ramp:
            filterPixels(layer, [p1](std::uint8_t* px) { ramp(px, p1); });
            break;
        case TextureOp::Grey:
            filterPixels(layer, grey);
            break;
        case TextureOp::Shift:
            shift(layer, p1, in.param(2));
            break;
        case TextureOp::Wave:
            wave(layer, in);
            break;
        case TextureOp::Add:
            blend(layer, sourceLayer(builder, in),
                  [](int d, int s) { return std::min(d + s, 255); });
            break;
        case TextureOp::Subtract:
            blend(layer, sourceLayer(builder, in), [](int d, int s) { return std::max(d - s, 0); });
            break;
        case TextureOp::Multiply:
            blend(layer, sourceLayer(builder, in), [](int d, int s) { return d * s / 255; });
            break;
        case TextureOp::Darken:
            blend(layer, sourceLayer(builder, in), [](int d, int s) { return std::min(d, s); });
            break;
        case TextureOp::Lighten:
            blend(layer, sourceLayer(builder, in), [](int d, int s) { return std::max(d, s); });
            break;
        case TextureOp::Copy:
            blend(layer, sourceLayer(builder, in), [](int, int s) { return s; });
            break;
        default:
            break;  // any other opcode is a no-op
    }
}

}  // namespace

TextureBuilder::TextureBuilder() {
    for (auto& layer : layers_) layer = std::make_unique<std::uint8_t[]>(kLayerBytes);
}

void runTextureProgram(TextureBuilder& builder, std::span<const std::uint8_t> program) {
    for (int i = 0; i < kLayerCount; ++i) std::memset(builder.layer(i), 0, kLayerBytes);
    if (program.empty()) return;

    const std::size_t promised = program[0];
    const std::size_t present = (program.size() - 1) / kInstructionBytes;
    const std::size_t count = std::min(promised, present);
    for (std::size_t n = 0; n < count; ++n) {
        const std::uint8_t* bytes = program.data() + 1 + n * kInstructionBytes;
        Instruction in{};
        in.opcode = bytes[0];
        in.target = bytes[1];
        std::memcpy(in.p, bytes + 2, 6);
        in.seed = bytes[8];
        seedRandom(in.seed);
        execute(builder, in);
    }
}

// clang-format off
const std::array<std::uint8_t, 1 + 8 * kInstructionBytes> kBallTextureProgram = {
    8,
//  opcode  target  P1   P2  P3  P4  P5   P6  seed
    3,      0x02,   255, 0,  0,  0,  0,   0,   0,   // Radial, blue
    33,     0x00,   48,  16, 0,  0,  0,   0,   0,   // Shift
    34,     0x00,   2,   2,  32, 16, 112, 144, 0,   // Wave
    3,      0x01,   255, 0,  0,  0,  0,   0,   0,   // Radial, green
    33,     0x00,   64,  32, 0,  0,  0,   0,   0,   // Shift
    34,     0x00,   2,   2,  32, 16, 112, 144, 0,   // Wave
    3,      0x00,   255, 0,  0,  0,  0,   0,   81,  // Radial, red
    34,     0x00,   2,   2,  32, 16, 112, 144, 0,   // Wave
};
// clang-format on

}  // namespace vorlune
