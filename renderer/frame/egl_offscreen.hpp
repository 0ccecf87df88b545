#pragma once

#include <cstdint>
#include <vector>

namespace vorlune {

// A headless OpenGL context with a width x height pbuffer, through EGL on
// Mesa's surfaceless platform: no display needed. Current on the calling
// thread from construction to destruction. Throws std::runtime_error naming
// the EGL call that failed and EGL's error.
class EglOffscreen {
  public:
    EglOffscreen(int width, int height);
    EglOffscreen(const EglOffscreen&) = delete;
    EglOffscreen& operator=(const EglOffscreen&) = delete;
    ~EglOffscreen();

    int width() const { return width_; }
    int height() const { return height_; }

    // The colour buffer as RGB bytes, top row first (as a picture is stored).
    std::vector<std::uint8_t> readPixels() const;
    // The depth buffer, 0..1, top row first.
    std::vector<float> readDepth() const;

  private:
    void release();

    int width_;
    int height_;
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
};

}  // namespace vorlune
