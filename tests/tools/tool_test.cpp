#include "tool.hpp"

#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "frame/render_settings.hpp"
#include "scene/ball_geometry.hpp"
#include "texture/texture_program.hpp"

namespace vorlune::tool {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

ToolRun run(std::initializer_list<std::string> args) {
    const std::vector<std::string> list(args);
    std::ostringstream out, err;
    const int code = runTool(list, out, err);
    return {code, out.str(), err.str()};
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vorlune-tool-test-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const char* name) const { return (dir_ / name).string(); }
    std::size_t filesInDir() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(dir_), fs::directory_iterator()));
    }

    fs::path dir_;
};

std::vector<std::uint8_t> ballTexture() {
    TextureBuilder builder;
    runTextureProgram(builder, kBallTextureProgram);
    return {builder.layer(0), builder.layer(0) + kLayerBytes};
}

TEST_F(ToolTest, TextureAsPpmIsHeaderThenLayerZero) {
    const ToolRun r = run({"texture", "--out", path("ball.ppm")});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string bytes = readFile(path("ball.ppm"));
    const std::string header = "P6\n256 256\n255\n";
    ASSERT_EQ(bytes.size(), header.size() + 196608);
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    const auto expected = ballTexture();
    EXPECT_EQ(std::memcmp(bytes.data() + header.size(), expected.data(), expected.size()), 0);
    EXPECT_EQ(filesInDir(), 1u) << "no temporary file is left behind";
}

TEST_F(ToolTest, TextureAsPngDecodesToTheSamePixels) {
    ASSERT_EQ(run({"texture", "--out=" + path("ball.png")}).code, 0);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path("ball.png").c_str())) << image.message;
    EXPECT_EQ(image.width, 256u);
    EXPECT_EQ(image.height, 256u);
    image.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) << image.message;
    EXPECT_EQ(pixels, ballTexture());
}

TEST_F(ToolTest, MeshIsObjInEmissionOrder) {
    const ToolRun r = run({"mesh", "--time", "0", "--out", path("t0.obj")});
    ASSERT_EQ(r.code, 0) << r.err;
    std::istringstream in(readFile(path("t0.obj")));
    std::string line;
    std::vector<std::string> groups;
    long normals = 0, vertices = 0, faces = 0;
    const std::regex number(R"(-?[0-9.]+(e[-+][0-9]+)?)");
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "g") {
            std::string name;
            words >> name;
            groups.push_back(name);
        } else if (kind == "vn" || kind == "v") {
            (kind == "v" ? vertices : normals)++;
            std::string x, y, z, rest;
            words >> x >> y >> z;
            ASSERT_TRUE(std::regex_match(x, number) && std::regex_match(y, number) &&
                        std::regex_match(z, number))
                << line;
            EXPECT_FALSE(words >> rest) << line;
            if (kind == "v") {
                EXPECT_EQ(normals, vertices) << "each vertex follows its normal";
            }
        } else if (kind == "f") {
            ++faces;
            ASSERT_EQ(vertices, faces * 3) << "a face follows its three corners";
            const long a = faces * 3 - 2;
            std::ostringstream expected;
            expected << "f " << a << "//" << a << ' ' << a + 1 << "//" << a + 1 << ' ' << a + 2
                     << "//" << a + 2;
            ASSERT_EQ(line, expected.str());
        } else {
            FAIL() << "unexpected line: " << line;
        }
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"outer", "inner"}));
    EXPECT_GT(faces, 1000);
    EXPECT_NE(r.out.find(std::to_string(faces) + " triangles"), std::string::npos) << r.out;

    // nine significant digits: every float read back has the bits the frame drew
    ASSERT_EQ(run({"mesh", "--time", "3.25", "--out", path("t.obj")}).code, 0);
    struct Recorder {
        std::vector<float> floats;  // normal, then vertex, per corner
        void beginTriangles() {}
        void endTriangles() {}
        void corner(const Vector3& n, const Vector3& v) {
            floats.insert(floats.end(), {n.x, n.y, n.z, v.x, v.y, v.z});
        }
    } drawn;
    auto field = createSceneField(detailLevel);
    placeBalls(*field, 3.25f);
    evaluateField(*field);
    polygoniseShells(*field, drawn);
    std::istringstream text(readFile(path("t.obj")));
    std::vector<float> read;
    for (std::string kind, rest; text >> kind;) {
        if (kind == "v" || kind == "vn") {
            for (int axis = 0; axis < 3; ++axis) {
                text >> rest;
                read.push_back(std::strtof(rest.c_str(), nullptr));
            }
        }
        std::getline(text, rest);
    }
    ASSERT_EQ(read.size(), drawn.floats.size());
    EXPECT_EQ(std::memcmp(read.data(), drawn.floats.data(), read.size() * sizeof(float)), 0);
}

TEST_F(ToolTest, RenderWritesAPictureOfTheRequestedSize) {
    const ToolRun r = run({"render", "--time", "2.5", "--size", "96x64", "--out", path("f.png")});
    ASSERT_EQ(r.code, 0) << r.err;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, path("f.png").c_str())) << image.message;
    EXPECT_EQ(image.width, 96u);
    EXPECT_EQ(image.height, 64u);
    png_image_free(&image);

    const ToolRun fps = run({"fps", "--size", "64x48", "--seconds", "0.3"});
    ASSERT_EQ(fps.code, 0) << fps.err;
    EXPECT_NE(fps.out.find("frames per second"), std::string::npos) << fps.out;
    EXPECT_NE(fps.out.find("99th percentile"), std::string::npos) << fps.out;
}

TEST_F(ToolTest, BadArgumentsGetUsageAndCodeTwo) {
    const std::string out = path("x.obj");
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"paint"},
        {"texture"},
        {"texture", "--out"},
        {"texture", "--out", path("x.jpg")},
        {"texture", "--out", path("a.ppm"), "--out", path("b.ppm")},
        {"texture", "--out", path("a.ppm"), "--time", "1"},
        {"mesh", "--out", out},
        {"mesh", "--time", "abc", "--out", out},
        {"mesh", "--time", "1.5s", "--out", out},
        {"mesh", "--time", "nan", "--out", out},
        {"mesh", "--time", "inf", "--out", out},
        {"mesh", "--time=", "--out", out},
        {"render", "--time", "0", "--size", "0x10", "--out", path("r.png")},
        {"render", "--time", "0", "--size", "64x", "--out", path("r.png")},
        {"render", "--time", "0", "--size", "64x48x2", "--out", path("r.png")},
        {"render", "--time", "0", "--size", "99999x10", "--out", path("r.png")},
        {"render", "--time", "0", "--size", "64x48", "--out", path("r.ppm")},
        {"fps", "--size", "64x48", "--seconds", "0"},
        {"fps", "--size", "64x48", "--seconds", "-1"},
    };
    for (const auto& args : cases) {
        std::ostringstream o, e;
        EXPECT_EQ(runTool(args, o, e), 2) << ::testing::PrintToString(args);
        EXPECT_NE(e.str().find("usage: vorlune-tool"), std::string::npos);
    }
    EXPECT_EQ(filesInDir(), 0u) << "nothing is written on a usage error";
    EXPECT_EQ(run({"--help"}).code, 0);
}

TEST_F(ToolTest, SoakArgumentsAreCheckedBeforeAnyFrameIsDrawn) {
    const std::vector<std::vector<std::string>> cases = {
        {"soak"},
        {"soak", "--size", "64x48"},
        {"soak", "--seconds", "10"},
        {"soak", "--size", "64x48", "--fps", "20"},  // --fps does not stand in for --seconds
        {"soak", "--seconds", "0", "--size", "64x48"},
        {"soak", "--seconds", "-5", "--size", "64x48"},
        {"soak", "--seconds", "604801", "--size", "64x48"},
        {"soak", "--seconds", "10min", "--size", "64x48"},
        {"soak", "--seconds", "10", "--size", "64"},
        {"soak", "--seconds", "10", "--size", "64x48", "--fps", "0"},
        {"soak", "--seconds", "10", "--size", "64x48", "--fps", "1001"},
        {"soak", "--seconds", "10", "--size", "64x48", "--fps", "2.5"},
        {"soak", "--seconds", "10", "--size", "64x48", "--fps", "-1"},
        {"soak", "--seconds", "10", "--size", "64x48", "--fps"},
        {"soak", "--seconds", "10", "--size", "64x48", "--fps", "5", "--fps", "5"},
        {"soak", "--seconds", "10", "--size", "64x48", "--frames", "5"},
        // only soak takes --fps
        {"fps", "--size", "64x48", "--seconds", "1", "--fps", "5"},
    };
    for (const auto& args : cases) {
        std::ostringstream o, e;
        EXPECT_EQ(runTool(args, o, e), 2) << ::testing::PrintToString(args);
        EXPECT_NE(e.str().find("usage: vorlune-tool"), std::string::npos);
        EXPECT_EQ(o.str().find("soak: t="), std::string::npos) << "no frame is drawn";
    }
    const ToolRun help = run({"--help"});
    EXPECT_NE(help.out.find("vorlune-tool soak --seconds SECONDS --size WxH [--fps N]"),
              std::string::npos)
        << help.out;
}

TEST_F(ToolTest, UnwritableOutputNamesThePathAndTheReason) {
    const std::string missing = path("no-such-folder/ball.ppm");
    ToolRun r = run({"texture", "--out", missing});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(missing), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;

    // the rename fails when a folder stands where the file should go: the
    // temporary file is removed and the folder is left as it was
    fs::create_directories(path("taken.obj"));
    r = run({"mesh", "--time", "1", "--out", path("taken.obj")});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(path("taken.obj")), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Is a directory"), std::string::npos) << r.err;
    EXPECT_EQ(filesInDir(), 1u);
    EXPECT_TRUE(fs::is_directory(path("taken.obj")));
}

}  // namespace
}  // namespace vorlune::tool
