#include "exports.hpp"

#include <png.h>

#include <cerrno>

#include "atomic_file.hpp"
#include "obj_sink.hpp"
#include "scene/ball_geometry.hpp"

namespace vorlune::tool {

namespace {

bool endsWith(const std::string& text, const char* ending) {
    const std::string tail(ending);
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

void writePpm(AtomicFile& file, const std::uint8_t* pixels, int width, int height) {
    std::fprintf(file.stream(), "P6\n%d %d\n255\n", width, height);
    std::fwrite(pixels, 3, static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                file.stream());
}

void writePng(AtomicFile& file, const std::uint8_t* pixels, int width, int height) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_stdio(&image, file.stream(), 0, pixels, 0, nullptr)) {
        const std::string reason = image.message;
        png_image_free(&image);
        throw WriteError("cannot write " + file.path() + ": png_image_write_to_stdio: " + reason);
    }
}

}  // namespace

void writeImage(const std::string& path, const std::uint8_t* pixels, int width, int height) {
    AtomicFile file(path);
    if (endsWith(path, ".png")) {
        writePng(file, pixels, width, height);
    } else {
        writePpm(file, pixels, width, height);
    }
    file.commit();
}

long writeShellsObj(const std::string& path, ShellGeometry& shells) {
    AtomicFile file(path);
    ObjSink sink(file.stream());
    shells.polygoniseShells(sink);
    file.commit();
    return sink.triangles();
}

}  // namespace vorlune::tool
