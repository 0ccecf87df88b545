#pragma once

#include <windows.h>

#include "forms/win32_controls.hpp"
#include "forms/win32_forms.hpp"

namespace vorlune::saver {

// The preview form "Preview Window": a still picture of the scene over the
// background picture, on black.
class Vorlune_R : public forms::Form {
  public:
    Vorlune_R();
    ~Vorlune_R() override;

    forms::Image Img_Prev;

  protected:
    void Form_Load() override;

  private:
    HBITMAP background_ = nullptr;
    HBITMAP scene_ = nullptr;
};

}  // namespace vorlune::saver
