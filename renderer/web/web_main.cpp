// The page's program: the scene in the page's canvas, at the device's pixel
// size, drawn by requestAnimationFrame on measured time, or one still frame.
// The page itself (page.html) starts it with its arguments:
//   --time SECONDS    one still frame at that scene time (the page's ?t=)
//   --paused SECONDS  a still frame there until the page calls vorlune_play
//                     (the user asked for reduced motion)
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "scene/scene_clock.hpp"
#include "web/webgl_scene.hpp"

namespace {

constexpr const char* kCanvas = "#scene";

// Shows a message over the page (page.html's say).
EM_JS(void, say, (const char* text), { Module.say(UTF8ToString(text)); });

struct Page {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    std::unique_ptr<vorlune::web::WebGlScene> scene;
    vorlune::SceneClock clock;
    float startTime = 0.0f;  // the scene time the clock counts from
    bool moving = false;
    bool stillPending = false;
    int width = 0;
    int height = 0;
};

Page page;

// Sizes the drawing buffer to the canvas's CSS size at the device's pixel ratio.
void fitCanvas() {
    double cssWidth = 0.0;
    double cssHeight = 0.0;
    emscripten_get_element_css_size(kCanvas, &cssWidth, &cssHeight);
    const double ratio = emscripten_get_device_pixel_ratio();
    const int width = std::max(1, static_cast<int>(std::lround(cssWidth * ratio)));
    const int height = std::max(1, static_cast<int>(std::lround(cssHeight * ratio)));
    if (width == page.width && height == page.height) return;
    emscripten_set_canvas_element_size(kCanvas, width, height);
    page.width = width;
    page.height = height;
    // A browser may give a huge canvas a smaller drawing buffer (past its
    // largest renderbuffer): the picture is fitted to what is there.
    int bufferWidth = width;
    int bufferHeight = height;
    emscripten_webgl_get_drawing_buffer_size(page.context, &bufferWidth, &bufferHeight);
    page.scene->resize(bufferWidth, bufferHeight);
}

EM_BOOL movingFrame(double milliseconds, void*) {
    if (!page.moving || !page.scene) return EM_FALSE;
    const double reading = milliseconds / 1000.0;
    if (!page.clock.started()) page.clock.start(reading);
    page.clock.advance(reading);
    fitCanvas();
    page.scene->draw(page.startTime + page.clock.sceneTime());
    return EM_TRUE;
}

EM_BOOL stillFrame(double, void*) {
    page.stillPending = false;
    if (page.moving || !page.scene) return EM_FALSE;
    fitCanvas();
    page.scene->draw(page.startTime);
    return EM_FALSE;
}

void requestStill() {
    if (page.stillPending || !page.scene) return;
    page.stillPending = true;
    emscripten_request_animation_frame(stillFrame, nullptr);
}

// A resized still needs drawing again: a canvas that changes size is cleared.
EM_BOOL resized(int, const EmscriptenUiEvent*, void*) {
    if (!page.moving) requestStill();
    return EM_FALSE;
}

// Nothing restores a lost context here: the scene goes with it, so that no
// frame, play or resize draws into it again.
EM_BOOL contextLost(int, const void*, void*) {
    page.moving = false;
    page.scene.reset();
    say("The graphics card's context was lost. Reload the page to see the scene again.");
    return EM_FALSE;
}

// The whole of the text as a finite number of seconds, or false.
bool parseSeconds(const char* text, float& seconds) {
    if (*text == '\0') return false;
    char* end = nullptr;
    seconds = std::strtof(text, &end);
    return *end == '\0' && std::isfinite(seconds);
}

}  // namespace

// Starts the animation from the still frame shown (the page's play button).
extern "C" EMSCRIPTEN_KEEPALIVE void vorlune_play() {
    if (page.moving || !page.scene) return;
    page.moving = true;
    emscripten_request_animation_frame_loop(movingFrame, nullptr);
}

int main(int argc, char** argv) {
    bool still = false;
    bool paused = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        const bool isTime = std::strcmp(argv[i], "--time") == 0;
        if (!isTime && std::strcmp(argv[i], "--paused") != 0) continue;
        float seconds = 0.0f;
        if (!parseSeconds(argv[i + 1], seconds)) {
            say((std::string("t=") + argv[i + 1] +
                 " is not a number of seconds: the scene runs from the start instead.")
                    .c_str());
            continue;
        }
        page.startTime = seconds;
        (isTime ? still : paused) = true;
    }

    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;  // the scene is opaque
    attributes.depth = EM_FALSE;  // no pass tests or writes depth
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;  // the native picture has no multisampling
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    page.context = emscripten_webgl_create_context(kCanvas, &attributes);
    if (page.context <= 0) {
        say("This page needs WebGL 2, which this browser does not offer or has turned off. "
            "A current Firefox, Chrome, Edge or Safari with hardware acceleration on shows it.");
        return 1;
    }
    emscripten_webgl_make_context_current(page.context);
    try {
        page.scene = std::make_unique<vorlune::web::WebGlScene>();
    } catch (const std::exception& error) {
        say((std::string("The scene could not be set up: ") + error.what()).c_str());
        return 1;
    }
    emscripten_set_webglcontextlost_callback(kCanvas, nullptr, EM_FALSE, contextLost);
    emscripten_set_resize_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, resized);

    if (still || paused) {
        requestStill();
    } else {
        vorlune_play();
    }
    return 0;
}
