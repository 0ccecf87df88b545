#include "tool.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "frame/render_settings.hpp"
#include "scene/ball_geometry.hpp"
#include "texture/texture_program.hpp"
#include "triangle_recorder.hpp"

namespace vorlune::tool {
namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

ToolRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = runTool(args, out, err);
    return {code, out.str(), err.str()};
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each test runs in a folder of its own, and names its files relative to it.
class ToolTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("vorlune-tool-test-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(home_);
        fs::remove_all(dir_);
    }
    static long filesHere() { return std::distance(fs::directory_iterator("."), {}); }

    const fs::path home_ = fs::current_path();
    fs::path dir_;
};

// (The PNG writer is checked by the golden frames, which read what render wrote.)
TEST_F(ToolTest, TextureIsLayerZeroAfterAPpmHeader) {
    TextureBuilder builder;
    runTextureProgram(builder, kBallTextureProgram);
    const ToolRun r = run({"texture", "--out=ball.ppm"});
    ASSERT_EQ(r.code, 0) << r.err;
    const std::string bytes = readFile("ball.ppm");
    const std::string header = "P6\n256 256\n255\n";
    ASSERT_EQ(bytes.size(), header.size() + kLayerBytes);
    EXPECT_EQ(bytes.substr(0, header.size()), header);
    EXPECT_EQ(std::memcmp(bytes.data() + header.size(), builder.layer(0), kLayerBytes), 0);
    EXPECT_EQ(filesHere(), 1) << "no temporary file is left behind";
}

// Every corner the frame draws, normal then vertex, with all its bits (nine
// significant digits), in drawing order: one group per level, faces in turn.
TEST_F(ToolTest, MeshHoldsTheDrawnCornersInOrder) {
    const ToolRun r = run({"mesh", "--time", "3.25", "--out", "t.obj"});
    ASSERT_EQ(r.code, 0) << r.err;
    TriangleRecorder drawn(false), read(false);
    auto field = createSceneField(detailLevel);
    placeBalls(*field, 3.25f);
    evaluateField(*field);
    polygoniseShells(*field, drawn);

    std::istringstream in(readFile("t.obj"));
    std::vector<std::string> groups;
    std::vector<float> corner;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string kind, word;
        words >> kind;
        if (kind == "g") {
            if (!groups.empty()) read.endTriangles();
            words >> word;
            groups.push_back(word);
            read.beginTriangles();
        } else if (kind == "vn" || kind == "v") {
            while (words >> word) corner.push_back(std::strtof(word.c_str(), nullptr));
            if (corner.size() < 6) continue;
            read.corner({corner[0], corner[1], corner[2]}, {corner[3], corner[4], corner[5]});
            corner.clear();
        } else if (kind == "f") {
            std::ostringstream face;
            face << 'f';
            for (long c = read.corners - 2; c <= read.corners; ++c) face << ' ' << c << "//" << c;
            ASSERT_EQ(line, face.str()) << "after its three corners";
        } else {
            FAIL() << "unexpected line: " << line;
        }
    }
    read.endTriangles();
    EXPECT_EQ(groups, (std::vector<std::string>{"outer", "inner"}));
    EXPECT_EQ(read.corners, drawn.corners);
    EXPECT_EQ(read.hash, drawn.hash);
    EXPECT_NE(r.out.find(std::to_string(drawn.corners / 3) + " triangles"), std::string::npos)
        << r.out;
}

TEST_F(ToolTest, FpsPrintsTheRateAndTheSpread) {
    const ToolRun r = run({"fps", "--size", "64x48", "--seconds", "0.3"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("frames per second"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("99th percentile"), std::string::npos) << r.out;
}

// Command lines, one between bars. Only soak
// takes --fps, and it does not stand in for --seconds.
TEST_F(ToolTest, BadArgumentsGetUsageAndCodeTwoBeforeAnythingIsDone) {
    std::istringstream cases(
        "|paint|texture|texture --out|texture --out x.jpg|texture --out a.ppm --out b.ppm|"
        "texture --out a.ppm --time 1|mesh --out x.obj|mesh --time 1.5s --out x.obj|"
        "mesh --time nan --out x.obj|mesh --time= --out x.obj|"
        "render --time 0 --size 0x10 --out r.png|render --time 0 --size 64x48x2 --out r.png|"
        "render --time 0 --size 99999x10 --out r.png|render --time 0 --size 64x48 --out r.ppm|"
        "fps --size 64x48 --seconds 0|fps --size 64x48 --seconds 1 --fps 5|soak|"
        "soak --size 64x48 --fps 20|soak --seconds -5 --size 64x48|"
        "soak --seconds 604801 --size 64x48|soak --seconds 10 --size 64x48 --fps 0|"
        "soak --seconds 10 --size 64x48 --fps 1001|soak --seconds 10 --size 64x48 --fps 2.5|"
        "soak --seconds 10 --size 64x48 --fps|soak --seconds 10 --size 64x48 --fps 5 --fps 5|"
        "soak --seconds 10 --size 64x48 --frames 5|bench --frames 0");
    for (std::string line; std::getline(cases, line, '|');) {
        std::istringstream words(line);
        const ToolRun r = run({std::istream_iterator<std::string>(words), {}});
        EXPECT_EQ(r.code, 2) << line;
        EXPECT_NE(r.err.find("usage: vorlune-tool"), std::string::npos) << line;
        EXPECT_EQ(r.out.find("soak: t="), std::string::npos) << "a frame was drawn: " << line;
    }
    EXPECT_EQ(filesHere(), 0) << "nothing is written on a usage error";
    // An option without its value is named as such, not as an unknown argument.
    EXPECT_NE(run({"bench", "--frames"}).err.find("--frames needs a value"), std::string::npos);
    EXPECT_EQ(run({"--help"}).code, 0);
}

TEST_F(ToolTest, UnwritableOutputNamesThePathAndTheReason) {
    const std::string missing = "no-such-folder/ball.ppm";
    ToolRun r = run({"texture", "--out", missing});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(missing), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("No such file or directory"), std::string::npos) << r.err;

    // the rename fails when a folder stands where the file should go: the
    // temporary file is removed and the folder is left as it was
    fs::create_directories("taken.obj");
    r = run({"mesh", "--time", "1", "--out", "taken.obj"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("taken.obj"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Is a directory"), std::string::npos) << r.err;
    EXPECT_EQ(filesHere(), 1);
    EXPECT_TRUE(fs::is_directory("taken.obj"));
}

}  // namespace
}  // namespace vorlune::tool
