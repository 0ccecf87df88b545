#include "texture/texture_object.hpp"

#include <cstring>

#include "frame/render_settings.hpp"
#include "texture/texture_program.hpp"

namespace vorlune {

Texture::Texture(std::unique_ptr<PixelImage> image, bool mipmapped) {
    glGenTextures(1, &name_);
    glBindTexture(GL_TEXTURE_2D, name_);

    const bool buildMipmaps = textureFilterMode == 2 && mipmapped;
    GLint minFilter = GL_LINEAR;
    GLint magFilter = GL_LINEAR;
    if (textureFilterMode == 0) {
        minFilter = magFilter = GL_NEAREST;
    } else if (buildMipmaps) {
        minFilter = GL_LINEAR_MIPMAP_LINEAR;
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);

    const auto format = static_cast<GLint>(image->format);
    if (buildMipmaps) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, format, image->width, image->height, image->format,
                          GL_UNSIGNED_BYTE, image->pixels.get());
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, format, image->width, image->height, 0, image->format,
                     GL_UNSIGNED_BYTE, image->pixels.get());
    }
}

Texture::~Texture() {
    glDeleteTextures(1, &name_);
}

void Texture::bind() const {
    glBindTexture(GL_TEXTURE_2D, name_);
}

void buildTextureSet() {
    auto image = std::make_unique<PixelImage>();
    {
        TextureBuilder builder;
        runTextureProgram(builder, kBallTextureProgram);
        image->pixels = std::make_unique<std::uint8_t[]>(kLayerBytes);
        std::memcpy(image->pixels.get(), builder.layer(0), kLayerBytes);
    }
    // RGB rows of 768 bytes are 4-byte aligned, so the default unpack alignment fits.
    ballTexture = std::make_unique<Texture>(std::move(image), true);
}

void releaseTextureSet() {
    ballTexture.reset();
}

}  // namespace vorlune
