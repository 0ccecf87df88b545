// The shell's commands: Vorlune.scr started as Windows starts a screen saver,
// the host of a preview played, and the runs ended from outside; and the
// driver standing in for Vorlune.dll.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "driver.hpp"
#include "music/music_player.hpp"
#include "shell/settings_values.hpp"

namespace vorlune::e2e {

namespace {

constexpr char kPreviewCaption[] = "Preview Window";

std::string handleText(HWND window) {
    return std::to_string(reinterpret_cast<INT_PTR>(window));
}

}  // namespace

// run <scr> <arguments> <ms> <end> [second]: a full-screen run. The renderer
// comes up in a process of its own beside the shell's one hidden run form,
// and the run goes on for ms (with "second", a second start meanwhile ends by
// itself and starts no renderer). Then it is ended from outside: "close"
// closes the renderer's window, "escape" presses Escape in it,
// "kill-renderer" kills its process, and the shell follows the window's
// going within 1.5 s (its watch ticks every 500 ms); "kill-shell" kills the
// shell, and the renderer ends as if closed. Either way with exit code 0,
// leaving no window of the run; the killed renderer's display is back at its
// size before the run once the shell has ended. Waits for Wine to start or end a process
// allow 10 s or more: a loaded machine takes seconds over it.
int run(const Args& args) {
    const std::string& end = args[3];
    const std::string display = displaySize();
    Process shell = start(args[0], args[1]);
    const HWND window = awaitWindow({.caption = kRendererCaption}, 20000, shell.handle);
    if (window == nullptr) fatal("no VorluneVC window within 20 s");
    std::printf("renderer_ms=%.0f\nrenderer_pid=%lu\n", nowMs() - shell.startedMs,
                processOf(window));
    const HANDLE renderer = openProcessOf(window);
    check(processOf(window) != shell.id, "the renderer runs inside the shell");
    const auto forms = topLevel({.caption = kRunCaption});
    check(forms.size() == 1, "not exactly one Vorlune_Main window");
    for (HWND form : forms) {
        check(processOf(form) == shell.id, "Vorlune_Main is not the shell's");
        check(!IsWindowVisible(form), "Vorlune_Main is visible");
        check(GetAncestor(form, GA_PARENT) == GetDesktopWindow(), "Vorlune_Main is not top-level");
    }
    if (args.size() == 5 && args[4] == "second") {
        Process second = start(args[0], args[1]);
        check(waitForExit(second.handle, 10000), "a second start did not end while the first runs");
        std::printf("second_exit_ms=%.0f\n", nowMs() - second.startedMs);
        check(exitCode(second.handle) == 0, "a second start's exit code is not 0");
        pause(700);
        check(topLevel({.caption = kRendererCaption}).size() == 1,
              "a second start started another renderer");
    }
    pause(number(args[2]));
    std::printf("display_before=%s\ndisplay_running=%s\n", display.c_str(), displaySize().c_str());
    check(running(shell.handle), "the shell ended during the run");
    check(running(renderer), "the renderer ended during the run");

    const double endedMs = nowMs();
    if (end == "close") {
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (end == "escape") {
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    } else if (end == "kill-renderer" || end == "kill-shell") {
        if (!TerminateProcess(end == "kill-shell" ? shell.handle : renderer, 9)) {
            fatal("TerminateProcess");
        }
    } else {
        fatal("no way to end a run called " + end);
    }
    const bool shellKilled = end == "kill-shell";
    const std::string follower = shellKilled ? "renderer" : "shell";
    const HANDLE following = shellKilled ? renderer : shell.handle;
    double fromMs = endedMs;
    if (!shellKilled) {
        while (IsWindow(window) && nowMs() - endedMs < 10000) pause(5);
        check(!IsWindow(window), "the renderer's window did not go within 10 s");
        fromMs = nowMs();
        std::printf("window_gone_ms=%.0f\n", fromMs - endedMs);
    }
    const bool ended = waitForExit(following, 10000);
    std::printf("%s_exit_ms=%.0f\n%s_exit_code=%lu\n", follower.c_str(), nowMs() - fromMs,
                follower.c_str(), exitCode(following));
    check(ended, "the " + follower + " did not end within 10 s");
    check(shellKilled || nowMs() - fromMs <= 1500,
          "the shell took longer than 1.5 s to follow the renderer's window");
    check(!ended || exitCode(following) == 0, "the " + follower + "'s exit code is not 0");
    if (!ended) TerminateProcess(following, 1);
    std::printf("display_after=%s\n", displaySize().c_str());
    // A renderer killed had no chance to give the display back: its shell does.
    check(end != "kill-renderer" || displaySize() == display,
          "the display is not back at " + display + " when the shell has ended");
    check(topLevel({.caption = kRunCaption}).empty(), "a Vorlune_Main window is left");
    check(topLevel({.caption = kRendererCaption}).empty(), "a VorluneVC window is left");
    CloseHandle(renderer);
    return result();
}

// ends <scr> <arguments>: the shell ends by itself, exit code 0, having shown
// no renderer window and no message box. A renderer it started and that
// ended without a window, it follows within 1.5 s.
int ends(const Args& args) {
    if (args[1].rfind("/p ", 0) == 0) {
        const auto host = reinterpret_cast<HWND>(static_cast<INT_PTR>(number(args[1].substr(3))));
        check(!IsWindow(host), "the host handle meant to be no window is one");
    }
    Process shell = start(args[0], args[1]);
    bool sawRenderer = false;
    bool sawMessage = false;
    HANDLE renderer = nullptr;
    double rendererEndedMs = 0;
    while (running(shell.handle) && nowMs() - shell.startedMs < 15000) {
        sawRenderer = sawRenderer || !topLevel({.caption = kRendererCaption}).empty();
        sawMessage =
            sawMessage ||
            !topLevel({.windowClass = "#32770", .process = shell.id, .visible = true}).empty();
        const auto renderers = processesNamed("Vorlune.dll");
        if (renderer == nullptr && !renderers.empty()) {
            renderer = OpenProcess(SYNCHRONIZE, FALSE, renderers.front());
        }
        if (renderer != nullptr && rendererEndedMs == 0 && !running(renderer)) {
            rendererEndedMs = nowMs();
        }
        waitForExit(shell.handle, 10);
    }
    std::printf("exit_ms=%.0f\nexit_code=%lu\n", nowMs() - shell.startedMs, exitCode(shell.handle));
    check(!running(shell.handle), "the shell did not end within 15 s");
    check(exitCode(shell.handle) == 0, "the shell's exit code is not 0");
    check(!sawRenderer, "a renderer window appeared");
    check(!sawMessage, "a message box appeared");
    if (renderer != nullptr) {
        std::printf("renderer_to_shell_exit_ms=%.0f\n", nowMs() - rendererEndedMs);
        check(nowMs() - rendererEndedMs <= 1500,
              "the shell took longer than 1.5 s to follow its renderer's end");
    }
    return result();
}

// preview <scr> <width> <height>: plays the host window of a preview. The
// preview form becomes its visible child at (0, 0) with the host's size, its
// picture control as large, and the shell ends when the host window goes.
// (Wine does not show a child window of another process inside its parent's
// X window, so the pictures are checked by the forms tests instead.)
int preview(const Args& args) {
    const int width = number(args[1]);
    const int height = number(args[2]);
    const HWND host = makeHost(width, height);
    Process shell = start(args[0], "/p " + handleText(host));
    HWND form = nullptr;
    while (form == nullptr && nowMs() - shell.startedMs < 10000 && !waitForExit(shell.handle, 10)) {
        form = FindWindowExA(host, nullptr, nullptr, kPreviewCaption);
    }
    if (form == nullptr) fatal("no Preview Window inside the host");
    std::printf("preview_ms=%.0f\n", nowMs() - shell.startedMs);
    check(processOf(form) == shell.id, "the preview form is not the shell's");
    check(GetParent(form) == host, "the preview form's parent is not the host");
    check((GetWindowLongA(form, GWL_STYLE) & WS_CHILD) != 0, "the preview form is no WS_CHILD");
    pause(800);
    check(IsWindowVisible(form) != FALSE, "the preview form is not visible");
    const RECT place = placeInParent(form);
    const HWND image = GetWindow(form, GW_CHILD);
    RECT imagePlace{};
    if (image != nullptr) GetClientRect(image, &imagePlace);
    std::printf("form=%ld,%ld,%ld,%ld\nimage=%ld,%ld\n", place.left, place.top, place.right,
                place.bottom, imagePlace.right, imagePlace.bottom);
    check(place.left == 0 && place.top == 0 && place.right == width && place.bottom == height,
          "the preview form does not cover the host from (0, 0)");
    check(image != nullptr && imagePlace.right == width && imagePlace.bottom == height,
          "Img_Prev does not have the host's size in pixels");
    check(running(shell.handle), "the shell ended while previewing");

    const double destroyedMs = nowMs();
    DestroyWindow(host);
    check(waitForExit(shell.handle, 10000), "the shell did not end when the host window went");
    std::printf("shell_exit_ms=%.0f\n", nowMs() - destroyedMs);
    check(exitCode(shell.handle) == 0, "the shell's exit code is not 0");
    return result();
}

// preview-gone <scr> <ms>...: for each delay, a host window destroyed that
// long after "/p <host>" was started: the shell ends by itself within 5 s
// (its watch ticks every 500 ms, but the shell may still be starting), exit
// code 0, leaving no preview form.
int previewGone(const Args& args) {
    for (std::size_t i = 1; i < args.size(); ++i) {
        const HWND host = makeHost(152, 112);
        Process shell = start(args[0], "/p " + handleText(host));
        pause(number(args[i]));
        const double destroyedMs = nowMs();
        DestroyWindow(host);
        const bool ended = waitForExit(shell.handle, 5000);
        std::printf("delay=%s exit_ms=%.0f exit_code=%lu\n", args[i].c_str(), nowMs() - destroyedMs,
                    exitCode(shell.handle));
        check(ended, "the shell did not end within 5 s of its host's end");
        check(!ended || exitCode(shell.handle) == 0, "the shell's exit code is not 0");
        if (!ended) TerminateProcess(shell.handle, 1);
        check(topLevel({.caption = kPreviewCaption}).empty(), "a Preview Window is left");
    }
    check(processesNamed("Vorlune.scr").empty(), "a Vorlune.scr process is left");
    return result();
}

// burst <scr> <n>: n starts of /s back to back, none waited for: one run,
// with one renderer window and process, and every other start ends by
// itself; Escape then ends the run and leaves no shell or renderer.
int burst(const Args& args) {
    std::vector<Process> shells;
    for (int i = 0; i < number(args[1]); ++i) shells.push_back(start(args[0], "/s"));
    const double firstMs = shells.front().startedMs;
    std::printf("started_ms=%.0f\n", nowMs() - firstMs);
    // Any of them may be the one that runs: the first to look, not the first started.
    const HWND renderer = awaitWindow({.caption = kRendererCaption}, 20000);
    if (renderer == nullptr) fatal("no VorluneVC window within 20 s");
    std::printf("renderer_ms=%.0f\n", nowMs() - firstMs);
    // Long enough for any late second run to show itself.
    pause(3000);
    int runningShells = 0;
    for (const Process& shell : shells) runningShells += running(shell.handle) ? 1 : 0;
    const auto windows = topLevel({.caption = kRendererCaption});
    const auto renderers = processesNamed("Vorlune.dll");
    std::printf("shells_running=%d renderer_windows=%zu renderer_processes=%zu\n", runningShells,
                windows.size(), renderers.size());
    check(runningShells == 1, "not exactly one shell still runs");
    check(windows.size() == 1, "not exactly one VorluneVC window");
    check(renderers.size() == 1, "not exactly one Vorlune.dll process");
    for (HWND window : windows.empty() ? std::vector<HWND>{renderer} : windows) {
        PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    }
    const double escapedMs = nowMs();
    int left = 0;
    for (const Process& shell : shells) {
        if (!waitForExit(shell.handle, std::max(0.0, 10000 - (nowMs() - escapedMs)))) {
            ++left;
            TerminateProcess(shell.handle, 1);
        } else {
            check(exitCode(shell.handle) == 0, "a shell's exit code is not 0");
        }
    }
    std::printf("all_ended_ms=%.0f shells_left=%d\n", nowMs() - escapedMs, left);
    check(left == 0, "shells were left after Escape");
    pause(300);
    check(processesNamed("Vorlune.scr").empty(), "a Vorlune.scr process is left");
    check(processesNamed("Vorlune.dll").empty(), "a Vorlune.dll process is left");
    return result();
}

// cd: the music player's audio CD without a drive (as under Wine): the
// supervision ends at its first poll.
int cdWithoutDrive(const Args&) {
    saver::BgmRepeat = 0;
    saver::CdOpen();
    saver::CdPoll();
    std::printf("cdpolling=%d\n", saver::CdPolling ? 1 : 0);
    check(!saver::CdPolling, "CdPoll without a drive goes on supervising");
    if (saver::CdPolling) saver::CdClose();
    return result();
}

// play wav|mp3 <file>: the player itself, as a run drives it: the file plays
// for 6 s (an MP3 polled every second, so that it is started again after its
// end), then is stopped, while this process goes on for 2.5 s more: the stop
// must silence it, not the process's end.
int play(const Args& args) {
    const bool mp3 = args[0] == "mp3";
    saver::BgmFile = args[1];
    mp3 ? saver::Mp3Open() : saver::WavPlay();
    std::printf("playing_ms=0\n");
    bool restarted = false;
    for (int tick = 0; tick < 6; ++tick) {
        pause(1000);
        restarted = restarted || (mp3 && !saver::Mp3IsPlaying());
        if (mp3) saver::Mp3Poll();
    }
    mp3 ? saver::Mp3Close() : saver::WavStop();
    std::printf("stopped\n");
    pause(2500);
    check(!mp3 || restarted, "Mp3Poll never found the file ended");
    return result();
}

// Started as Vorlune.dll by the shell (no arguments), the driver stands in
// for the renderer as VORLUNE_STANDIN says: "slow" opens its VorluneVC
// window only after 2.5 s (a cold GL driver) and ends when it is closed;
// "exit" ends after 1 s without ever opening one.
int standIn() {
    const char* mode = std::getenv("VORLUNE_STANDIN");
    if (mode == nullptr) return 3;
    if (std::strcmp(mode, "exit") == 0) {
        Sleep(1000);
        return 0;
    }
    Sleep(2500);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) -> LRESULT {
        if (message == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcA(window, message, wParam, lParam);
    };
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "StandIn";
    RegisterClassA(&windowClass);
    if (CreateWindowExA(0, "StandIn", kRendererCaption, WS_POPUP | WS_VISIBLE, 0, 0, 64, 64,
                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr) == nullptr) {
        return 1;
    }
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
    return 0;
}

}  // namespace vorlune::e2e
