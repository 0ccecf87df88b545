#include <windows.h>

#include <memory>
#include <new>
#include <string>

#include "frame/key_states.hpp"
#include "frame/render_settings.hpp"
#include "frame/win32_crash_guard.hpp"
#include "frame/win32_parent_watch.hpp"
#include "frame/win32_render_window.hpp"
#include "scene/scene_driver.hpp"

namespace vorlune {
namespace {

void showError(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "ERROR", MB_OK | MB_ICONHAND);
}

// Every message waiting for this thread, quit included, is dispatched; the
// return tells whether a quit message was among them.
bool drainMessages() {
    bool quit = false;
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) quit = true;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return quit;
}

void run() {
    // First of all, while the shell that started us is surely still there.
    ParentWatch shell;
    auto window = std::make_unique<RenderWindow>("VorluneVC", screenWidth, screenHeight, colourBits,
                                                 fullScreen);
    sceneStart();

    // No waiting anywhere: frames go out as fast as the driver takes them, and
    // every iteration that starts draws and swaps, even the last.
    bool done = false;
    while (!done) {
        // A shell that has gone (killed, say) leaves nobody to end the run:
        // it ends as if its window had been closed.
        if (shell.ended()) PostMessageA(window->window, WM_CLOSE, 0, 0);
        if (drainMessages()) done = true;
        if (!sceneKeepRunning()) done = true;
        if (!sceneFrame()) done = true;
        window->swapBuffers();
    }

    sceneStop();
    window.reset();
}

}  // namespace
}  // namespace vorlune

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace vorlune;
    // A crash, here or in a driver, must not leave the user's display in our mode.
    installCrashGuard(RenderWindow::restoreDisplayOfCurrent);
    keyStates.fill(0);
    screenWidth = 1024;
    screenHeight = 768;
    colourBits = 16;
    fullScreen = true;
    textureFilterMode = 2;
    detailLevel = 3;

    // Whatever goes wrong, the user gets a message and the exit code stays 0.
    try {
        run();
    } catch (const RenderWindowError& error) {
        showError(std::string(error.what()) + "\n\n" + error.reason());
    } catch (const std::bad_alloc& error) {
        showError(std::string("Out of memory\n\noperator new: ") + error.what());
    } catch (const std::exception& error) {
        showError(error.what());
    }
    return 0;
}
