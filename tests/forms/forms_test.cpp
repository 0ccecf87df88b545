// The forms runtime on the real window manager, under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "forms/win32_controls.hpp"
#include "forms/win32_forms.hpp"
#include "forms/win32_picture.hpp"
#include "resources/shell_resources.h"

namespace vorlune::forms {
namespace {

using Events = std::vector<std::string>;

// Writes down its events.
class LoggingForm : public Form {
  public:
    explicit LoggingForm(const char* caption) : Form(caption) {}
    Events events;

  protected:
    void Form_Load() override { events.push_back("Load"); }
    void Form_QueryUnload(bool&, UnloadMode mode) override {
        events.push_back("QueryUnload " + std::to_string(static_cast<int>(mode)));
    }
    void Form_Unload(bool&) override { events.push_back("Unload"); }
};

// Unloaded by code, closed from outside, or destroyed with the parent it was
// given: the handlers run each time, and the form is gone.
TEST(Forms, LoadsHiddenOnceAndEveryUnloadRunsTheHandlers) {
    LoggingForm form("forms test");
    form.Load();
    form.Load();
    ASSERT_EQ(FindWindowA(nullptr, "forms test"), form.Window());
    EXPECT_FALSE(IsWindowVisible(form.Window()));
    form.Unload();
    EXPECT_EQ(FindWindowA(nullptr, "forms test"), nullptr);

    LoggingForm closed("closed");
    closed.Load();
    SendMessageA(closed.Window(), WM_CLOSE, 0, 0);

    const HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 100, 100, nullptr,
                                        nullptr, nullptr, nullptr);
    LoggingForm child("child");
    child.Load();
    SetWindowLongA(child.Window(), GWL_STYLE, WS_CHILD);
    SetParent(child.Window(), parent);
    DestroyWindow(parent);

    EXPECT_EQ(form.events, Events({"Load", "QueryUnload 1", "Unload"}));
    EXPECT_EQ(closed.events, Events({"Load", "QueryUnload 0", "Unload"}));
    EXPECT_EQ(child.events, Events({"Load", "QueryUnload 5", "Unload"}));
    EXPECT_FALSE(closed.Loaded() || child.Loaded());
}

TEST(Forms, TimersTickWhileEnabledAndTheLastFormEndsTheLoop) {
    // The forms before ended a loop that never ran.
    MSG quit{};
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    LoggingForm form("timers");
    int fast = 0, off = 0, later = 0;
    Timer fastTimer(form, 20, true, [&] {
        if (++fast == 5) form.Unload();
    });
    Timer offTimer(form, 10, false, [&] { ++off; });
    Timer zeroTimer(form, 0, true, [&] { ++off; });
    Timer laterTimer(form, 10, false, [&] { ++later; });
    form.Load();
    laterTimer.SetEnabled(true);
    RunMessageLoop();  // returns once the form has unloaded itself
    EXPECT_EQ(fast, 5);
    EXPECT_EQ(off, 0);
    EXPECT_GT(later, 0);
}

// The client area of a window as its WM_PRINTCLIENT draws it, row by row.
std::vector<COLORREF> Printed(HWND window, int width, int height) {
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    std::vector<COLORREF> pixels;
    for (int i = 0; i < width * height; ++i) pixels.push_back(GetPixel(dc, i % width, i / width));
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The preview's two JPEG pictures of 152 x 112 on a form and on an image of
// 200 x 150 pixels: each at its natural size, black beyond.
TEST(Forms, DrawPicturesFromResourcesAtNaturalSizeOnBlack) {
    LoggingForm form("pictures");
    Image image(form);
    form.Load();
    form.Move(0, 0, 200 * TwipsPerPixelX(), 150 * TwipsPerPixelY());
    image.Move(0, 0, 200, 150);
    const HBITMAP planes = LoadResourcePicture(VORLUNE_PREVIEW_BACKGROUND);
    const HBITMAP still = LoadResourcePicture(VORLUNE_PREVIEW_SCENE);
    form.SetPicture(planes);
    image.SetPicture(still);
    const auto onForm = Printed(form.Window(), 200, 150);
    const auto onImage = Printed(image.Window(), 200, 150);

    const auto lit = [](COLORREF c) {
        return GetRValue(c) >= 12 || GetGValue(c) >= 12 || GetBValue(c) >= 12;
    };
    int planesLit = 0, blueGreen = 0, stillLit = 0, red = 0, outsideLit = 0;
    for (int i = 0; i < 200 * 150; ++i) {
        const COLORREF p = onForm[i], s = onImage[i];
        if (i % 200 >= 152 || i / 200 >= 112) {
            outsideLit += lit(p) + lit(s);
            continue;
        }
        planesLit += lit(p);
        blueGreen += GetRValue(p) + 40 < GetGValue(p) && GetRValue(p) + 40 < GetBValue(p);
        stillLit += lit(s);
        red += GetRValue(s) > 200 && GetGValue(s) < 120;
    }
    // Grid planes on black: some of it lit, mostly blue-green. The scene's
    // still: lit almost everywhere, with glowing red in it.
    EXPECT_GT(planesLit, 152 * 112 / 10);
    EXPECT_LT(planesLit, 152 * 112 * 9 / 10);
    EXPECT_GT(blueGreen, planesLit / 2);
    EXPECT_GT(stillLit, 152 * 112 * 8 / 10);
    EXPECT_GT(red, 20);
    EXPECT_EQ(outsideLit, 0);
    form.Unload();
    DeleteObject(planes);
    DeleteObject(still);
}

}  // namespace
}  // namespace vorlune::forms
