#include "shell/win32_preview_form.hpp"

#include <objbase.h>

#include "resources/shell_resources.h"
#include "shell/shell_names.hpp"
#include "shell/win32_failure.hpp"
#include "shell/win32_picture.hpp"

namespace vorlune::saver {

namespace {
constexpr int kPictureWidth = 152;
constexpr int kPictureHeight = 112;
}  // namespace

PreviewForm::PreviewForm() : Form(kPreviewCaption), Img_Prev(*this) {
    Img_Prev.Move(0, 0, kPictureWidth, kPictureHeight);
}

PreviewForm::~PreviewForm() {
    if (background_ != nullptr) DeleteObject(background_);
    if (scene_ != nullptr) DeleteObject(scene_);
}

void PreviewForm::Form_Load() {
    // The pictures are decoded by COM objects.
    if (FAILED(CoInitialize(nullptr))) ReportFailure("CoInitialize");
    background_ = LoadResourcePicture(VORLUNE_PREVIEW_BACKGROUND);
    scene_ = LoadResourcePicture(VORLUNE_PREVIEW_SCENE);
    SetPicture(background_);
    Img_Prev.SetPicture(scene_);
}

}  // namespace vorlune::saver
