#include "tool.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <ostream>
#include <stdexcept>

#include "atomic_file.hpp"
#include "bench.hpp"
#include "exports.hpp"
#include "frame/render_settings.hpp"
#include "headless.hpp"
#include "scene/ball_geometry.hpp"
#include "scene/shell_geometry.hpp"
#include "soak.hpp"
#include "texture/texture_program.hpp"

namespace vorlune::tool {

namespace {

constexpr const char* kUsage =
    "usage: vorlune-tool texture --out FILE.ppm|FILE.png\n"
    "       vorlune-tool mesh --time SECONDS --out FILE.obj\n"
    "       vorlune-tool render --time SECONDS --size WxH --out FILE.png\n"
    "       vorlune-tool fps --size WxH --seconds SECONDS\n"
    "       vorlune-tool bench [--frames N] [--gl]\n"
    "       vorlune-tool soak --seconds SECONDS --size WxH [--fps N]\n"
    "\n"
    "  texture  writes the synthesised ball texture (256 x 256 RGB)\n"
    "  mesh     writes both metaball shells at scene time SECONDS as Wavefront OBJ\n"
    "  render   renders the frame at scene time SECONDS offscreen (EGL) to a PNG\n"
    "  fps      draws frames offscreen as fast as it can and prints the frame rate\n"
    "  bench    times a frame's geometry (quick and straightforward ways), the texture\n"
    "           synthesis and, with --gl, whole frames offscreen at 1024x768\n"
    "  soak     draws frames offscreen for SECONDS (at most N a second), printing the\n"
    "           resident memory after a 5 s warm-up and every 10 s; exits 1 when it\n"
    "           has grown by more than 4 MiB since the warm-up\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "--name value" or "--name=value", each option once, only the ones allowed;
// all of those are required except the optional ones.
std::map<std::string, std::string> parseOptions(std::span<const std::string> args,
                                                std::initializer_list<std::string> allowed,
                                                std::initializer_list<std::string> optional = {}) {
    std::map<std::string, std::string> options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::string value;
        bool hasValue = false;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            hasValue = true;
        }
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end() &&
            std::find(optional.begin(), optional.end(), name) == optional.end()) {
            throw UsageError("unknown argument '" + name + "'");
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) throw UsageError(name + " needs a value");
            value = args[++i];
        }
        if (value.empty()) throw UsageError(name + " needs a value");
        if (!options.emplace(name, value).second) throw UsageError(name + " given twice");
    }
    for (const auto& name : allowed) {
        if (!options.contains(name)) throw UsageError(name + " is missing");
    }
    return options;
}

float parseSeconds(const std::string& text) {
    float seconds = 0.0f;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, seconds);
    if (error != std::errc() || stop != end || !std::isfinite(seconds)) {
        throw UsageError("--time takes a number of seconds, not '" + text + "'");
    }
    return seconds;
}

struct Size {
    int width;
    int height;
};

// "WxH", each side 1 to 16384 pixels.
Size parseSize(const std::string& text) {
    Size size{};
    const char* p = text.data();
    const char* end = p + text.size();
    auto [afterWidth, e1] = std::from_chars(p, end, size.width);
    if (e1 == std::errc() && afterWidth != end && *afterWidth == 'x') {
        auto [afterHeight, e2] = std::from_chars(afterWidth + 1, end, size.height);
        if (e2 == std::errc() && afterHeight == end && size.width >= 1 && size.height >= 1 &&
            size.width <= 16384 && size.height <= 16384) {
            return size;
        }
    }
    throw UsageError("--size takes WIDTHxHEIGHT in pixels (1 to 16384), not '" + text + "'");
}

// A whole number from 1 to most, for the option named.
int parseCount(const std::string& text, const char* option, int most) {
    int count = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, count);
    if (error != std::errc() || stop != end || count < 1 || count > most) {
        throw UsageError(std::string(option) + " takes a count from 1 to " + std::to_string(most) +
                         ", not '" + text + "'");
    }
    return count;
}

bool hasEnding(const std::string& path, const std::string& ending) {
    return path.size() > ending.size() &&
           path.compare(path.size() - ending.size(), ending.size(), ending) == 0;
}

int textureCommand(std::span<const std::string> args, std::ostream& out) {
    const auto options = parseOptions(args, {"--out"});
    const std::string& path = options.at("--out");
    if (!hasEnding(path, ".ppm") && !hasEnding(path, ".png")) {
        throw UsageError("--out must name a .ppm or .png file");
    }
    TextureBuilder builder;
    runTextureProgram(builder, kBallTextureProgram);
    writeImage(path, builder.layer(0), kLayerSize, kLayerSize);
    out << "wrote " << path << '\n';
    return 0;
}

int meshCommand(std::span<const std::string> args, std::ostream& out) {
    const auto options = parseOptions(args, {"--time", "--out"});
    const float t = parseSeconds(options.at("--time"));
    const std::string& path = options.at("--out");
    auto field = createSceneField(detailLevel);
    ShellGeometry shells(*field);
    placeBalls(*field, t);
    shells.evaluate();
    const long triangles = writeShellsObj(path, shells);
    out << "wrote " << path << " (" << triangles << " triangles)\n";
    return 0;
}

int renderCommand(std::span<const std::string> args, std::ostream& out) {
    const auto options = parseOptions(args, {"--time", "--size", "--out"});
    const float t = parseSeconds(options.at("--time"));
    const Size size = parseSize(options.at("--size"));
    const std::string& path = options.at("--out");
    if (!hasEnding(path, ".png")) throw UsageError("--out must name a .png file");
    const auto pixels = renderStill(t, size.width, size.height);
    writeImage(path, pixels.data(), size.width, size.height);
    out << "wrote " << path << '\n';
    return 0;
}

int fpsCommand(std::span<const std::string> args, std::ostream& out) {
    const auto options = parseOptions(args, {"--size", "--seconds"});
    const Size size = parseSize(options.at("--size"));
    const float seconds = parseSeconds(options.at("--seconds"));
    if (!(seconds > 0.0f) || seconds > 3600.0f) {
        throw UsageError("--seconds takes a time above 0 and up to 3600");
    }
    const FrameStatistics stats = measureFrames(size.width, size.height, seconds);
    char line[256];
    std::snprintf(line, sizeof line,
                  "%dx%d: %ld frames in %.2f s: %.1f frames per second, "
                  "frame time mean %.2f ms, 99th percentile %.2f ms\n",
                  size.width, size.height, stats.frames, stats.seconds,
                  static_cast<double>(stats.frames) / stats.seconds, stats.meanMilliseconds,
                  stats.p99Milliseconds);
    out << line;
    return 0;
}

// A leak of a few hundred bytes a frame passes this in ten minutes at 20 frames
// a second; the driver's own caches settle within the warm-up.
constexpr long kSoakGrowthLimitKib = 4 * 1024;

int soakCommand(std::span<const std::string> args, std::ostream& out) {
    const auto options = parseOptions(args, {"--seconds", "--size"}, {"--fps"});
    const Size size = parseSize(options.at("--size"));
    const float seconds = parseSeconds(options.at("--seconds"));
    if (!(seconds > 0.0f) || seconds > 7 * 86400.0f) {
        throw UsageError("--seconds takes a time above 0 and up to 604800 (a week)");
    }
    SoakSettings settings;
    settings.width = size.width;
    settings.height = size.height;
    settings.seconds = seconds;
    // a short run still has a warm-up and at least one reading after it
    settings.warmUpSeconds = std::min(settings.warmUpSeconds, settings.seconds / 2.0);
    if (const auto fps = options.find("--fps"); fps != options.end()) {
        settings.maxFps = parseCount(fps->second, "--fps", 1000);
    }
    const SoakResult result = runSoak(settings, out);
    char line[160];
    std::snprintf(line, sizeof line,
                  "soak: frames %ld, rss start %ld KiB, end %ld KiB, growth %ld KiB\n",
                  result.frames, result.rssStartKib, result.rssEndKib, result.growthKib());
    out << line;
    if (result.growthKib() > kSoakGrowthLimitKib) {
        out << "soak: the resident set grew by more than " << kSoakGrowthLimitKib << " KiB\n";
        return 1;
    }
    return 0;
}

int benchCommand(std::span<const std::string> args, std::ostream& out) {
    int frames = 2000;
    bool wholeFrames = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--gl") {
            wholeFrames = true;
        } else if (args[i] == "--frames") {
            if (i + 1 >= args.size()) throw UsageError("--frames needs a value");
            frames = parseCount(args[++i], "--frames", 1000000);
        } else {
            throw UsageError("unknown argument '" + args[i] + "'");
        }
    }
    runBench(out, frames, wholeFrames, 1024, 768);
    return 0;
}

}  // namespace

int runTool(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    try {
        if (args.empty()) throw UsageError("no command given");
        const std::string& command = args[0];
        if (command == "--help" || command == "-h" || command == "help") {
            out << kUsage;
            return 0;
        }
        if (command == "texture") return textureCommand(args.subspan(1), out);
        if (command == "mesh") return meshCommand(args.subspan(1), out);
        if (command == "render") return renderCommand(args.subspan(1), out);
        if (command == "fps") return fpsCommand(args.subspan(1), out);
        if (command == "bench") return benchCommand(args.subspan(1), out);
        if (command == "soak") return soakCommand(args.subspan(1), out);
        throw UsageError("unknown command '" + command + "'");
    } catch (const UsageError& e) {
        err << "vorlune-tool: " << e.what() << "\n\n" << kUsage;
        return 2;
    } catch (const std::runtime_error& e) {
        // an output that could not be written, or no OpenGL context to render with
        err << "vorlune-tool: " << e.what() << '\n';
        return 1;
    }
}

}  // namespace vorlune::tool
