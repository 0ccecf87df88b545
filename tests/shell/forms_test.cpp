// The forms layer and the preview form on the real window manager, under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "shell/win32_forms.hpp"
#include "shell/win32_preview_form.hpp"

namespace vorlune::forms {
namespace {

// Serves the thread's windows for a while.
void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG message{};
    while (GetTickCount() - start < ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
}

// Writes down its events; may refuse to go.
class LoggingForm : public Form {
  public:
    explicit LoggingForm(const char* caption) : Form(caption) {}
    std::vector<std::string> events;
    bool cancelQuery = false;
    bool cancelUnload = false;

  protected:
    void Form_Load() override { events.push_back("Load"); }
    void Form_QueryUnload(bool& cancel, UnloadMode mode) override {
        events.push_back("QueryUnload " + std::to_string(static_cast<int>(mode)));
        cancel = cancelQuery;
    }
    void Form_Unload(bool& cancel) override {
        events.push_back("Unload");
        cancel = cancelUnload;
    }
};

using Events = std::vector<std::string>;

TEST(Forms, LoadHiddenAndUnloadInOrder) {
    LoggingForm form("Vorlune forms test");
    form.Load();
    ASSERT_TRUE(form.Loaded());
    EXPECT_EQ(FindWindowA(nullptr, "Vorlune forms test"), form.Window());
    EXPECT_FALSE(IsWindowVisible(form.Window()));
    form.Load();  // once only
    EXPECT_EQ(form.events, Events({"Load"}));

    form.cancelQuery = true;
    form.Unload();
    EXPECT_TRUE(form.Loaded());
    form.cancelQuery = false;
    form.cancelUnload = true;
    form.Unload();
    EXPECT_TRUE(form.Loaded());
    form.cancelUnload = false;
    form.Unload();
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(FindWindowA(nullptr, "Vorlune forms test"), nullptr);
    EXPECT_EQ(form.events, Events({"Load", "QueryUnload 1", "QueryUnload 1", "Unload",
                                   "QueryUnload 1", "Unload"}));
}

TEST(Forms, ClosedOrDestroyedFromOutside) {
    LoggingForm closed("Vorlune closed");
    closed.Load();
    SendMessageA(closed.Window(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(closed.Loaded());
    EXPECT_EQ(closed.events, Events({"Load", "QueryUnload 0", "Unload"}));

    // A child form goes with its parent, and cannot refuse.
    const HWND parent = CreateWindowExA(0, "STATIC", "parent", WS_POPUP, 0, 0, 100, 100, nullptr,
                                        nullptr, nullptr, nullptr);
    ASSERT_NE(parent, nullptr);
    LoggingForm child("Vorlune child");
    child.cancelQuery = true;
    child.Load();
    SetWindowLongA(child.Window(), GWL_STYLE, WS_CHILD);
    SetParent(child.Window(), parent);
    DestroyWindow(parent);
    EXPECT_FALSE(child.Loaded());
    EXPECT_EQ(child.events, Events({"Load", "QueryUnload 5", "Unload"}));
}

TEST(Forms, TimersTickWhileEnabledAndTheLastFormEndsTheLoop) {
    LoggingForm form("Vorlune timers");
    int fast = 0;
    int off = 0;
    Timer fastTimer(form, 20, true, [&] {
        if (++fast == 5) form.Unload();
    });
    Timer offTimer(form, 10, false, [&] { ++off; });
    Timer zeroTimer(form, 0, true, [&] { ++off; });
    form.Load();
    // The forms of the tests before ended a loop that never ran.
    MSG quit{};
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    const DWORD start = GetTickCount();
    RunMessageLoop();  // returns once the form has unloaded itself
    EXPECT_EQ(fast, 5);
    EXPECT_EQ(off, 0);
    EXPECT_GE(GetTickCount() - start, 80u);

    // Enabled later, it ticks; disabled, it stops.
    LoggingForm other("Vorlune timers 2");
    int ticks = 0;
    Timer timer(other, 10, false, [&] { ++ticks; });
    other.Load();
    Pump(60);
    EXPECT_EQ(ticks, 0);
    timer.SetEnabled(true);
    Pump(100);
    EXPECT_GT(ticks, 0);
    timer.SetEnabled(false);
    const int stopped = ticks;
    Pump(60);
    EXPECT_EQ(ticks, stopped);
    other.Unload();
}

TEST(Forms, PlacesInTwips) {
    const int twipsX = TwipsPerPixelX();
    const int twipsY = TwipsPerPixelY();
    const HDC screen = GetDC(nullptr);
    EXPECT_EQ(twipsX, 1440 / GetDeviceCaps(screen, LOGPIXELSX));
    EXPECT_EQ(twipsY, 1440 / GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);

    LoggingForm form("Vorlune twips");
    form.Load();
    form.Move(10 * twipsX, 20 * twipsY, 152 * twipsX, 112 * twipsY);
    RECT rect{};
    GetWindowRect(form.Window(), &rect);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, 20);
    EXPECT_EQ(rect.right - rect.left, 152);
    EXPECT_EQ(rect.bottom - rect.top, 112);
    form.Unload();
}

// The client area of a window as its WM_PRINTCLIENT draws it.
std::vector<COLORREF> Printed(HWND window, int width, int height) {
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    const HGDIOBJ previous = SelectObject(dc, bitmap);
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels.push_back(GetPixel(dc, x, y));
    }
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool Dark(COLORREF c) {
    return GetRValue(c) < 12 && GetGValue(c) < 12 && GetBValue(c) < 12;
}

TEST(PreviewForm, DrawsItsTwoPicturesAtNaturalSizeOnBlack) {
    saver::PreviewForm preview;
    preview.Load();
    ASSERT_TRUE(preview.Loaded());
    constexpr int kWidth = 200;
    constexpr int kHeight = 150;
    preview.Move(0, 0, kWidth * TwipsPerPixelX(), kHeight * TwipsPerPixelY());
    preview.Img_Prev.Move(0, 0, kWidth, kHeight);

    const auto background = Printed(preview.Window(), kWidth, kHeight);
    const auto scene = Printed(preview.Img_Prev.Window(), kWidth, kHeight);
    int backgroundLit = 0, sceneLit = 0, blueGreen = 0, red = 0, outsideLit = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const COLORREF b = background[y * kWidth + x];
            const COLORREF s = scene[y * kWidth + x];
            if (x >= 152 || y >= 112) {
                outsideLit += !Dark(b) + !Dark(s);
                continue;
            }
            backgroundLit += !Dark(b);
            sceneLit += !Dark(s);
            blueGreen += GetRValue(b) + 40 < GetGValue(b) && GetRValue(b) + 40 < GetBValue(b);
            red += GetRValue(s) > 200 && GetGValue(s) < 120;
        }
    }
    // Grid planes on black: some of it lit, all of that blue-green.
    EXPECT_GT(backgroundLit, 152 * 112 / 10);
    EXPECT_LT(backgroundLit, 152 * 112 * 9 / 10);
    EXPECT_GT(blueGreen, backgroundLit / 2);
    // The scene's still: lit almost everywhere, with glowing red in it.
    EXPECT_GT(sceneLit, 152 * 112 * 8 / 10);
    EXPECT_GT(red, 20);
    EXPECT_EQ(outsideLit, 0);
    preview.Unload();
}

}  // namespace
}  // namespace vorlune::forms
