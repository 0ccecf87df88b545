#pragma once

#include <windows.h>

#include "ui/property_bag.hpp"

namespace vorlune::ui {

// A font for the screen from its stored description; the caller owns it
// (DeleteObject). Null when it cannot be made; the failure is traced.
HFONT CreateLayoutFont(const FontDescription& font);

}  // namespace vorlune::ui
