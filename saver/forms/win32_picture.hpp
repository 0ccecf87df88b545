#pragma once

#include <windows.h>

// Pictures from the program's resources, as bitmaps the caller owns
// (DeleteObject). Null when they cannot be loaded; the failure is traced.
namespace vorlune::forms {

// A JPEG picture stored among the program's RCDATA resources.
HBITMAP LoadResourcePicture(int id);
// A BITMAP resource, as a DIB section.
HBITMAP LoadResourceBitmap(int id);

}  // namespace vorlune::forms
