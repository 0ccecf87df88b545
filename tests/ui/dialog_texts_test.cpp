// A translation's texts fit the boxes the settings dialog's layout gives
// them, in its own font, at 96 and at 144 dots per inch: the layout is the
// one the Japanese texts were written for, and a text that runs past its box
// runs into the next control or out of its click area. (The Japanese is the
// layout's own: where the IPA fonts stand in for its font, some of it runs a
// few pixels wider than its box, as it always has.)
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>

#include "forms/win32_text.hpp"
#include "shell/ui_texts.hpp"

namespace vorlune::saver {
namespace {

// The labels' and buttons' widths in the layout, in twips.
struct Box {
    const char* name;
    std::u8string_view UiTexts::*text;
    int twips;
};
constexpr Box kBoxes[] = {
    {"heading", &UiTexts::heading, 1665},   {"no music", &UiTexts::noMusic, 330},
    {"audio CD", &UiTexts::cdMusic, 645},   {"music file", &UiTexts::fileMusic, 900},
    {"repeat", &UiTexts::repeatTrack, 990}, {"file button", &UiTexts::chooseFile, 615},
    {"save button", &UiTexts::save, 1155},  {"cancel button", &UiTexts::cancel, 1155},
};

TEST(DialogTexts, FitTheirBoxesAt96And144Dpi) {
    const HDC dc = CreateCompatibleDC(nullptr);
    ASSERT_NE(dc, nullptr);
    for (const UiLanguage language : {UiLanguage::English}) {
        const UiTexts& texts = TextsFor(language);
        for (const int dpi : {96, 144}) {
            const auto height = static_cast<int>(std::lround(texts.fontPoints * dpi / 72.0));
            const HFONT font =
                CreateFontW(-height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, texts.fontCharset,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, forms::Widen(texts.fontName).c_str());
            ASSERT_NE(font, nullptr);
            const HGDIOBJ previous = SelectObject(dc, font);
            for (const Box& box : kBoxes) {
                const std::wstring text = forms::Widen(texts.*box.text);
                SIZE size{};
                ASSERT_TRUE(
                    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size));
                EXPECT_LE(size.cx, box.twips * dpi / 1440) << box.name << " at " << dpi << " dpi";
            }
            SelectObject(dc, previous);
            DeleteObject(font);
        }
    }
    DeleteDC(dc);
}

}  // namespace
}  // namespace vorlune::saver
