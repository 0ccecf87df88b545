// The picture as OpenGL draws it, offscreen through EGL (Mesa llvmpipe).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "frame/egl_offscreen.hpp"
#include "frame/viewport.hpp"
#include "gl/gl_headers.hpp"
#include "scene/background_pass.hpp"
#include "scene/ball_renderer.hpp"
#include "scene/scene_driver.hpp"
#include "texture/texture_object.hpp"
#include "texture/texture_program.hpp"

namespace vorlune {
namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct Rgb {
    int r, g, b;
    int sum() const { return r + g + b; }
};

class RenderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        context_ = std::make_unique<EglOffscreen>(kWidth, kHeight);
        sceneStart();
        resizeViewport(kWidth, kHeight);
    }
    void TearDown() override {
        sceneStop();
        context_.reset();
    }

    // Clears to a colour the texture at half intensity can never give.
    void clearToMarker() {
        glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }

    // The background pass alone, with the state the frame draws it in.
    void drawBackgroundOnly(float t) {
        glClear(GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glColor3f(0.5f, 0.5f, 0.5f);
        ballTexture->bind();
        drawBackground(t * 0.015f);
    }

    std::vector<Rgb> pixels() const {
        const auto bytes = context_->readPixels();
        std::vector<Rgb> out(bytes.size() / 3);
        for (std::size_t i = 0; i < out.size(); ++i) {
            out[i] = {bytes[i * 3], bytes[i * 3 + 1], bytes[i * 3 + 2]};
        }
        return out;
    }

    std::unique_ptr<EglOffscreen> context_;
};

TEST_F(RenderTest, BackgroundFillsTheViewportWithTheTextureAtHalfIntensity) {
    clearToMarker();
    drawScene(0.0f);
    for (const Rgb& p : pixels()) {
        ASSERT_FALSE(p.r == 255 && p.g == 0 && p.b == 255) << "a pixel kept the clear colour";
    }

    // At t = 0 the whole texture is stretched over the viewport: texture row 0
    // is the bottom of the picture, and the texture's centre the screen's centre.
    TextureBuilder builder;
    runTextureProgram(builder, kBallTextureProgram);
    clearToMarker();
    drawBackgroundOnly(0.0f);
    const auto image = pixels();
    const auto texel = [&](int x, int y) {
        const std::uint8_t* t = builder.layer(0) + (y * 256 + x) * 3;
        return Rgb{t[0], t[1], t[2]};
    };
    const struct { int screenX, screenY; } probes[] = {{160, 120}, {40, 60}, {280, 200}, {7, 230}};
    for (const auto& probe : probes) {
        const Rgb got = image[static_cast<std::size_t>(probe.screenY * kWidth + probe.screenX)];
        const int texX = (probe.screenX * 2 + 1) * 256 / (kWidth * 2);
        const int texY = ((kHeight - probe.screenY) * 2 - 1) * 256 / (kHeight * 2);
        const Rgb want = texel(texX, texY);
        EXPECT_NEAR(got.r, want.r / 2, 6) << probe.screenX << "," << probe.screenY;
        EXPECT_NEAR(got.g, want.g / 2, 6) << probe.screenX << "," << probe.screenY;
        EXPECT_NEAR(got.b, want.b / 2, 6) << probe.screenX << "," << probe.screenY;
    }
}

TEST_F(RenderTest, ShellsAreAddedOverTheBackground) {
    drawBackgroundOnly(0.0f);
    const auto background = pixels();
    drawScene(0.0f);
    const auto frame = pixels();

    // additive blending never darkens a pixel
    for (std::size_t i = 0; i < frame.size(); ++i) {
        ASSERT_GE(frame[i].sum() + 3, background[i].sum()) << i;
    }
    // At t = 0 all balls sit at (0, 1, 0), 4 units in front of the eye: the
    // shells cover the middle of the upper half and brighten it a lot.
    long added = 0, count = 0;
    for (int y = kHeight / 4 - 15; y < kHeight / 4 + 15; ++y) {
        for (int x = kWidth / 2 - 15; x < kWidth / 2 + 15; ++x) {
            const auto i = static_cast<std::size_t>(y * kWidth + x);
            added += frame[i].sum() - background[i].sum();
            ++count;
        }
    }
    EXPECT_GT(added / count, 150);
    // the corners are beyond the shells
    EXPECT_LE(frame[0].sum() - background[0].sum(), 3);
    EXPECT_LE(frame.back().sum() - background.back().sum(), 3);
}

TEST_F(RenderTest, BackgroundIsOneFlatColourAtTwoHundredThirdsOfASecond) {
    clearToMarker();
    drawBackgroundOnly(200.0f / 3.0f);
    const auto image = pixels();
    const Rgb first = image.front();
    EXPECT_GT(first.sum(), 0);
    for (const Rgb& p : image) {
        ASSERT_NEAR(p.r, first.r, 1);
        ASSERT_NEAR(p.g, first.g, 1);
        ASSERT_NEAR(p.b, first.b, 1);
    }
}

TEST_F(RenderTest, NoPassWritesDepth) {
    glEnable(GL_DEPTH_TEST);  // as every frame after the first finds it
    glClearDepth(1.0);
    for (float t : {0.0f, 5.0f, 90.0f}) {
        drawScene(t);
        const auto depth = context_->readDepth();
        ASSERT_EQ(std::count(depth.begin(), depth.end(), 1.0f), static_cast<long>(depth.size()))
            << "t = " << t;
    }
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_TRUE) << "depth writes are on again after the frame";
}

TEST_F(RenderTest, BallTextureCarriesAFullMipmapChainAndRepeats) {
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), ballTexture->name());
    GLint width = 0, minFilter = 0, wrapS = 0, wrapT = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 8, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 1) << "level 8 is 1 x 1";
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &wrapT);
    EXPECT_EQ(wrapS, GL_REPEAT);
    EXPECT_EQ(wrapT, GL_REPEAT);

    // without the mipmap flag: level 0 only, plain linear, complete all the same
    auto image = std::make_unique<PixelImage>();
    image->pixels = std::make_unique<std::uint8_t[]>(kLayerBytes);
    std::fill_n(image->pixels.get(), kLayerBytes, std::uint8_t{200});
    Texture plain(std::move(image), false);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), plain.name());
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(width, 0);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(minFilter, GL_LINEAR);
    clearToMarker();
    glLoadIdentity();
    glColor3f(0.5f, 0.5f, 0.5f);
    drawBackground(0.0f);
    EXPECT_NEAR(pixels()[500].r, 100, 1) << "the texture is complete and sampled";
}

TEST_F(RenderTest, ViewportTakesAZeroHeightAsOne) {
    resizeViewport(100, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 100);
    EXPECT_EQ(viewport[3], 1);
}

}  // namespace
}  // namespace vorlune
