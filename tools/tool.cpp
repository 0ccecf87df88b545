#include "tool.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <ostream>
#include <stdexcept>

#include "atomic_file.hpp"
#include "exports.hpp"
#include "frame/render_settings.hpp"
#include "scene/ball_geometry.hpp"
#include "texture/texture_program.hpp"

namespace vorlune::tool {

namespace {

constexpr const char* kUsage =
    "usage: vorlune-tool texture --out FILE.ppm|FILE.png\n"
    "       vorlune-tool mesh --time SECONDS --out FILE.obj\n"
    "\n"
    "  texture  writes the synthesised ball texture (256 x 256 RGB)\n"
    "  mesh     writes both metaball shells at scene time SECONDS as Wavefront OBJ\n";

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// "--name value" or "--name=value", each option once, only the ones allowed.
std::map<std::string, std::string> parseOptions(std::span<const std::string> args,
                                                std::initializer_list<std::string> allowed) {
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
        if (std::find(allowed.begin(), allowed.end(), name) == allowed.end()) {
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
    writeTexture(path, builder.layer(0));
    out << "wrote " << path << '\n';
    return 0;
}

int meshCommand(std::span<const std::string> args, std::ostream& out) {
    const auto options = parseOptions(args, {"--time", "--out"});
    const float t = parseSeconds(options.at("--time"));
    const std::string& path = options.at("--out");
    auto field = createSceneField(detailLevel);
    placeBalls(*field, t);
    evaluateField(*field);
    const long triangles = writeShellsObj(path, *field);
    out << "wrote " << path << " (" << triangles << " triangles)\n";
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
        throw UsageError("unknown command '" + command + "'");
    } catch (const UsageError& e) {
        err << "vorlune-tool: " << e.what() << "\n\n" << kUsage;
        return 2;
    } catch (const WriteError& e) {
        err << "vorlune-tool: " << e.what() << '\n';
        return 1;
    }
}

}  // namespace vorlune::tool
