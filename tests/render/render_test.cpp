// The picture as OpenGL draws it, offscreen through EGL (Mesa).
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "frame/egl_offscreen.hpp"
#include "frame/viewport.hpp"
#include "gl/gl_headers.hpp"
#include "scene/ball_renderer.hpp"
#include "scene/scene_driver.hpp"
#include "tool.hpp"

namespace vorlune {
namespace {

// Golden frames: `vorlune-tool render` at 160 x 120, kept in tests/render/golden
// and rewritten by scripts/golden.sh (which runs this test with
// VORLUNE_GOLDEN_WRITE set) after an intended change to the picture.
struct Golden {
    const char* name;
    float time;
};
constexpr Golden kGoldens[] = {
    {"t0", 0.0f},             // the five balls at one point over the whole texture
    {"flat", 200.0f / 3.0f},  // the background one flat colour
    {"t150", 150.0f},         // the texture turned, repeating past the edges
};

// A pixel differs when one of its channels is off by more than 8 of 255; a frame
// matches with at most 96 such pixels (0.5%). Mesa's own rasterisers disagree on
// at most 5 (softpipe against llvmpipe, at triangle edges); moving the light or
// the shells, or changing the background's grey or its zoom rate, makes 2000 or more.
constexpr int kChannelTolerance = 8;
constexpr long kMaxDifferingPixels = 96;

// RGB bytes, top row first, and the size; no bytes when the file cannot be read.
std::vector<std::uint8_t> readPng(const std::string& path, png_image& image) {
    image = {};
    image.version = PNG_IMAGE_VERSION;
    std::vector<std::uint8_t> rgb;
    if (png_image_begin_read_from_file(&image, path.c_str())) {
        image.format = PNG_FORMAT_RGB;
        rgb.resize(PNG_IMAGE_SIZE(image));
        if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return rgb;
    }
    ADD_FAILURE() << path << ": " << image.message;
    return {};
}

TEST(GoldenFrameTest, FramesMatchTheGoldenPictures) {
    const bool rewrite = std::getenv("VORLUNE_GOLDEN_WRITE") != nullptr;
    std::filesystem::create_directories(VORLUNE_GOLDEN_OUT);
    for (const Golden& golden : kGoldens) {
        const std::string want = std::string(VORLUNE_GOLDEN_DIR "/") + golden.name + ".png";
        const std::string got =
            rewrite ? want : std::string(VORLUNE_GOLDEN_OUT "/") + golden.name + ".png";
        char time[32];
        std::snprintf(time, sizeof time, "%.9g", static_cast<double>(golden.time));
        const std::vector<std::string> args = {"render",  "--time", time, "--size",
                                               "160x120", "--out",  got};
        std::ostringstream out, err;
        ASSERT_EQ(tool::runTool(args, out, err), 0) << err.str();
        if (rewrite) continue;

        png_image frameSize, expectedSize;
        const auto frame = readPng(got, frameSize), expected = readPng(want, expectedSize);
        ASSERT_EQ(frameSize.width, expectedSize.width) << want;
        ASSERT_EQ(frameSize.height, expectedSize.height) << want;
        ASSERT_EQ(frame.size(), expected.size()) << want;
        long differing = 0;
        for (std::size_t i = 0; i < frame.size(); i += 3) {
            differing += std::abs(frame[i] - expected[i]) > kChannelTolerance ||
                         std::abs(frame[i + 1] - expected[i + 1]) > kChannelTolerance ||
                         std::abs(frame[i + 2] - expected[i + 2]) > kChannelTolerance;
        }
        EXPECT_LE(differing, kMaxDifferingPixels)
            << "t = " << time << ": " << got << " differs from " << want;
    }
    if (rewrite) GTEST_SKIP() << "rewrote the golden frames in " VORLUNE_GOLDEN_DIR;
}

// A single frame does not show it, but later frames draw with depth testing on:
// a pass that wrote depth would hide the inner shell behind the outer one.
TEST(RenderTest, NoPassWritesDepthAndAZeroHeightKeepsAViewport) {
    EglOffscreen context(160, 120);
    sceneStart();
    resizeViewport(160, 120);
    glEnable(GL_DEPTH_TEST);
    for (float t : {0.0f, 5.0f, 90.0f}) {
        drawScene(t);
        const auto depth = context.readDepth();
        EXPECT_EQ(std::count(depth.begin(), depth.end(), 1.0f), static_cast<long>(depth.size()))
            << "t = " << t;
    }
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_TRUE) << "depth writes are on again after the frame";

    resizeViewport(100, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    sceneStop();
}

}  // namespace
}  // namespace vorlune
