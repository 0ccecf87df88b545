#pragma once

#include <cstdint>
#include <string>

#include "geometry/metaball_field.hpp"

namespace vorlune::tool {

// 256 x 256 RGB picture, row 0 first. The name's ending picks the format:
// ".ppm" binary PPM, ".png" PNG. Throws WriteError.
void writeTexture(const std::string& path, const std::uint8_t* pixels);

// Both shells of the field as Wavefront OBJ, in the order they are drawn:
// every corner its own normal and vertex, then one face per triangle.
// Returns the number of triangles. Throws WriteError.
long writeShellsObj(const std::string& path, const MetaballField& field);

}  // namespace vorlune::tool
