#pragma once

#include <windows.h>

namespace vorlune::saver {

// Decodes a JPEG picture stored among the program's RCDATA resources into a
// bitmap the caller owns (DeleteObject). Null when it cannot.
HBITMAP LoadResourcePicture(int id);

}  // namespace vorlune::saver
