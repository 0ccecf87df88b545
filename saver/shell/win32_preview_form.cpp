#include "shell/win32_preview_form.hpp"

#include "forms/win32_picture.hpp"
#include "resources/shell_resources.h"
#include "shell/shell_names.hpp"

namespace vorlune::saver {

namespace {
constexpr int kPictureWidth = 152;
constexpr int kPictureHeight = 112;
}  // namespace

Vorlune_R::Vorlune_R() : Form(kPreviewCaption), Img_Prev(*this) {
    Img_Prev.Move(0, 0, kPictureWidth, kPictureHeight);
}

Vorlune_R::~Vorlune_R() {
    if (background_ != nullptr) DeleteObject(background_);
    if (scene_ != nullptr) DeleteObject(scene_);
}

void Vorlune_R::Form_Load() {
    background_ = forms::LoadResourcePicture(VORLUNE_PREVIEW_BACKGROUND);
    scene_ = forms::LoadResourcePicture(VORLUNE_PREVIEW_SCENE);
    SetPicture(background_);
    Img_Prev.SetPicture(scene_);
}

}  // namespace vorlune::saver
