#pragma once

#include <cstdint>
#include <memory>

#include "gl/gl_headers.hpp"

namespace vorlune {

// The hand-over from synthesis to upload: 256 x 256 RGB, row 0 first (t = 0).
struct PixelImage {
    std::int32_t width = 256;
    std::int32_t height = 256;
    GLenum format = GL_RGB;
    std::unique_ptr<std::uint8_t[]> pixels;
};

// Owns one OpenGL texture name. Needs the rendering context current.
class Texture {
  public:
    // Uploads the image (consuming it) with the filters textureFilterMode
    // selects; the new texture is left bound.
    Texture(std::unique_ptr<PixelImage> image, bool mipmapped);
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;
    ~Texture();

    void bind() const;

  private:
    GLuint name_ = 0;
};

// The scene's one texture, for the background and as the balls' sphere map.
inline std::unique_ptr<Texture> ballTexture;

// Synthesises the ball texture and uploads it with mipmaps.
void buildTextureSet();
// Deletes it, if it was built.
void releaseTextureSet();

}  // namespace vorlune
