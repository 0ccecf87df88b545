// The portable core's outputs from the web build, in vorlune-tool's formats,
// for comparing byte for byte with the native build's:
//   web_core_export texture OUT.ppm
//   web_core_export mesh SECONDS OUT.obj
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "frame/render_settings.hpp"
#include "obj_sink.hpp"
#include "scene/ball_geometry.hpp"
#include "scene/shell_geometry.hpp"
#include "texture/texture_program.hpp"

namespace {

int usage() {
    std::fputs("usage: web_core_export texture OUT.ppm | mesh SECONDS OUT.obj\n", stderr);
    return 2;
}

std::FILE* openOutput(const char* path) {
    std::FILE* out = std::fopen(path, "wb");
    if (!out) std::fprintf(stderr, "fopen(%s) failed: %s\n", path, std::strerror(errno));
    return out;
}

bool closeOutput(std::FILE* out, const char* path) {
    if (std::ferror(out) != 0 || std::fclose(out) != 0) {
        std::fprintf(stderr, "writing %s failed: %s\n", path, std::strerror(errno));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vorlune;
    if (argc == 3 && std::strcmp(argv[1], "texture") == 0) {
        TextureBuilder builder;
        runTextureProgram(builder, kBallTextureProgram);
        std::FILE* out = openOutput(argv[2]);
        if (!out) return 1;
        std::fprintf(out, "P6\n%d %d\n255\n", kLayerSize, kLayerSize);
        std::fwrite(builder.layer(0), 1, kLayerBytes, out);
        return closeOutput(out, argv[2]) ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "mesh") == 0) {
        char* end = nullptr;
        const float t = std::strtof(argv[2], &end);
        if (*argv[2] == '\0' || *end != '\0') return usage();
        auto field = createSceneField(detailLevel);
        ShellGeometry shells(*field);
        placeBalls(*field, t);
        shells.evaluate();
        std::FILE* out = openOutput(argv[3]);
        if (!out) return 1;
        tool::ObjSink sink(out);
        shells.polygoniseShells(sink);
        return closeOutput(out, argv[3]) ? 0 : 1;
    }
    return usage();
}
