#pragma once

#include <cstdint>
#include <string>

#include "scene/shell_geometry.hpp"

namespace vorlune::tool {

// An RGB picture, top row first. The name's ending picks the format: ".png"
// PNG, anything else binary PPM. Throws WriteError.
void writeImage(const std::string& path, const std::uint8_t* pixels, int width, int height);

// Both shells of the last evaluation as Wavefront OBJ, in the order they are
// drawn: every corner its own normal and vertex, then one face per triangle.
// Returns the number of triangles. Throws WriteError.
long writeShellsObj(const std::string& path, ShellGeometry& shells);

}  // namespace vorlune::tool
