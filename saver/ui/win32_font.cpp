#include "ui/win32_font.hpp"

#include <cmath>

#include "forms/win32_text.hpp"
#include "frame/win32_error.hpp"

namespace vorlune::ui {

HFONT CreateLayoutFont(const FontDescription& font) {
    const HDC screen = GetDC(nullptr);
    const int dotsPerInch = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    // The character height for the point size, as the system rounds it.
    const auto height = static_cast<int>(std::lround(font.points * dotsPerInch / 72.0));
    const std::wstring name = forms::Widen(font.name, CP_UTF8);
    const HFONT made =
        CreateFontW(-height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, font.underline,
                    FALSE, font.charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    DEFAULT_PITCH | FF_DONTCARE, name.c_str());
    if (made == nullptr) traceFailedCall("CreateFontW");
    return made;
}

}  // namespace vorlune::ui
