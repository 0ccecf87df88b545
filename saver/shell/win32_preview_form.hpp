#pragma once

#include <windows.h>

#include "shell/win32_forms.hpp"

namespace vorlune::saver {

// Vorlune_R, the preview form "Preview Window": a still picture of the scene
// over the background picture, on black.
class PreviewForm : public forms::Form {
  public:
    PreviewForm();
    ~PreviewForm() override;

    forms::Image Img_Prev;

  protected:
    void Form_Load() override;

  private:
    HBITMAP background_ = nullptr;
    HBITMAP scene_ = nullptr;
};

}  // namespace vorlune::saver
