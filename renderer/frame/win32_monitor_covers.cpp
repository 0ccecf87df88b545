#include "frame/win32_monitor_covers.hpp"

#include "frame/win32_error.hpp"

namespace vorlune {

namespace {

constexpr const char* kClassName = "VorluneCover";

LRESULT CALLBACK coverProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_SETCURSOR:
            SetCursor(nullptr);
            return TRUE;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

struct MonitorSearch {
    HMONITOR scene;
    std::vector<RECT> others;
};

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT area, LPARAM data) {
    auto* search = reinterpret_cast<MonitorSearch*>(data);
    if (monitor != search->scene) search->others.push_back(*area);
    return TRUE;
}

}  // namespace

MonitorCovers::MonitorCovers(HWND sceneWindow)
    : sceneWindow_(sceneWindow), instance_(GetModuleHandleA(nullptr)) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = coverProcedure;
    windowClass.hInstance = instance_;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kClassName;
    SetLastError(0);
    registered_ = RegisterClassA(&windowClass) != 0;
    if (!registered_) {
        // A monitor left uncovered is no reason to end the run, and a full-screen
        // program has nowhere to show a message: only a trace.
        traceFailedCall("RegisterClassA (monitor covers)");
        return;
    }
    layOut();
}

MonitorCovers::~MonitorCovers() {
    remove();
    if (registered_) UnregisterClassA(kClassName, instance_);
}

void MonitorCovers::remove() {
    removed_ = true;
    // Owned by the scene's window, the covers went with it when it was closed.
    for (const HWND cover : covers_) {
        if (IsWindow(cover)) DestroyWindow(cover);
    }
    covers_.clear();
}

void MonitorCovers::layOut() {
    if (!registered_ || removed_) return;
    MonitorSearch search{MonitorFromWindow(sceneWindow_, MONITOR_DEFAULTTOPRIMARY), {}};
    SetLastError(0);
    if (!EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&search))) {
        traceFailedCall("EnumDisplayMonitors (monitor covers)");
        return;
    }

    while (covers_.size() > search.others.size()) {
        DestroyWindow(covers_.back());
        covers_.pop_back();
    }
    for (std::size_t i = 0; i < search.others.size(); ++i) {
        const RECT& area = search.others[i];
        const int width = area.right - area.left;
        const int height = area.bottom - area.top;
        if (i == covers_.size()) {
            // Owned by the scene's window: never below it, never on the task
            // bar, and destroyed with it.
            SetLastError(0);
            const HWND cover = CreateWindowExA(
                WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, nullptr, WS_POPUP,
                area.left, area.top, width, height, sceneWindow_, nullptr, instance_, nullptr);
            if (cover == nullptr) {
                traceFailedCall("CreateWindowExA (monitor cover)");
                return;
            }
            covers_.push_back(cover);
        }
        SetWindowPos(covers_[i], HWND_TOPMOST, area.left, area.top, width, height,
                     SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

}  // namespace vorlune
