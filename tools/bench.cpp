#include "bench.hpp"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <vector>

#include "frame/egl_offscreen.hpp"
#include "frame/frame_clock.hpp"
#include "frame/render_settings.hpp"
#include "frame/viewport.hpp"
#include "scene/ball_geometry.hpp"
#include "scene/ball_renderer.hpp"
#include "scene/scene_driver.hpp"
#include "scene/shell_geometry.hpp"
#include "texture/texture_program.hpp"

namespace vorlune::tool {

namespace {

// Keeps what the geometry emits from being optimised away, at little cost.
struct ChecksumSink {
    float sum = 0.0f;
    long corners = 0;
    void beginTriangles() {}
    void endTriangles() {}
    void corner(const Vector3& n, const Vector3& v) {
        sum += n.x + v.y;
        ++corners;
    }
};

// Holds a frame's triangles so they can be handed to OpenGL separately.
struct RecordingSink {
    std::vector<Vector3> corners;  // normal, vertex, normal, vertex, ...
    std::vector<std::size_t> batchEnds;
    void beginTriangles() {}
    void endTriangles() { batchEnds.push_back(corners.size()); }
    void corner(const Vector3& n, const Vector3& v) {
        corners.push_back(n);
        corners.push_back(v);
    }
    void replay(GlTriangleSink& gl) const {
        std::size_t at = 0;
        for (std::size_t end : batchEnds) {
            gl.beginTriangles();
            for (; at < end; at += 2) gl.corner(corners[at], corners[at + 1]);
            gl.endTriangles();
        }
    }
};

struct Spread {
    double median, p10, p90;
};

Spread spreadOf(std::vector<double> milliseconds) {
    std::sort(milliseconds.begin(), milliseconds.end());
    const auto at = [&](double q) {
        return milliseconds[static_cast<std::size_t>(q *
                                                     static_cast<double>(milliseconds.size() - 1))];
    };
    return {at(0.5), at(0.1), at(0.9)};
}

void printLine(std::ostream& out, const char* what, const Spread& s) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-25s median %8.4f ms   p10 %8.4f   p90 %8.4f\n", what,
                  s.median, s.p10, s.p90);
    out << line;
}

// Frame f's scene time: frames 1.8 s apart, so that the default 2000 span the first hour.
float frameTime(int f) {
    return static_cast<float>(f) * 1.8003f;
}

// A frame's geometry the quick way and the straightforward way, frame by frame
// over the same scene times.
void benchGeometry(std::ostream& out, int frames) {
    auto field = createSceneField(detailLevel);
    ShellGeometry shells(*field);
    ChecksumSink quickSink, straightSink;
    std::vector<double> quick, straight;
    for (int f = 0; f < frames; ++f) {
        const float t = frameTime(f);
        const double t0 = clockSeconds();
        placeBalls(*field, t);
        shells.evaluate();
        shells.polygoniseShells(quickSink);
        const double t1 = clockSeconds();
        placeBalls(*field, t);
        evaluateField(*field);
        polygoniseShells(*field, straightSink);
        const double t2 = clockSeconds();
        quick.push_back((t1 - t0) * 1000.0);
        straight.push_back((t2 - t1) * 1000.0);
    }
    const Spread q = spreadOf(quick), s = spreadOf(straight);
    char line[200];
    std::snprintf(
        line, sizeof line,
        "geometry per frame, %d frames at scene times 0 to %.0f s (%.0f triangles a frame):\n",
        frames, static_cast<double>(frameTime(frames - 1)),
        static_cast<double>(quickSink.corners) / 3.0 / frames);
    out << line;
    printLine(out, "quick path", q);
    printLine(out, "straightforward", s);
    std::snprintf(line, sizeof line, "  ratio of medians         %.1f x%s\n", s.median / q.median,
                  quickSink.corners == straightSink.corners ? "" : "  (TRIANGLE COUNTS DIFFER)");
    out << line;
}

void benchTextureSynthesis(std::ostream& out) {
    std::vector<double> synthesis;
    for (int run = 0; run < 30; ++run) {
        const double t0 = clockSeconds();
        TextureBuilder builder;
        runTextureProgram(builder, kBallTextureProgram);
        synthesis.push_back((clockSeconds() - t0) * 1000.0);
    }
    out << "ball texture synthesis, 30 runs:\n";
    printLine(out, "synthesis", spreadOf(synthesis));
}

// Whole frames offscreen, split into geometry, submission and finish; then the
// same frames without shells: what the textured background alone costs to
// rasterise, so the rest of the finish time is the shells'.
void benchWholeFrames(std::ostream& out, int frames, int width, int height) {
    EglOffscreen context(width, height);
    sceneStart();
    resizeViewport(width, height);
    std::vector<double> geometry, submission, finish;
    RecordingSink recording;
    for (int f = 0; f < frames; ++f) {
        const float t = frameTime(f);
        recording.corners.clear();
        recording.batchEnds.clear();
        const double t0 = clockSeconds();
        placeBalls(*sceneField, t);
        sceneShells->evaluate();
        sceneShells->polygoniseShells(recording);
        const double t1 = clockSeconds();
        beginSceneFrame(t);
        beginShells();
        GlTriangleSink gl;
        recording.replay(gl);
        endShells();
        const double t2 = clockSeconds();
        glFinish();
        const double t3 = clockSeconds();
        geometry.push_back((t1 - t0) * 1000.0);
        submission.push_back((t2 - t1) * 1000.0);
        finish.push_back((t3 - t2) * 1000.0);
    }
    std::vector<double> backgroundFinish;
    for (int f = 0; f < frames; ++f) {
        beginSceneFrame(frameTime(f));
        beginShells();
        endShells();
        const double t0 = clockSeconds();
        glFinish();
        backgroundFinish.push_back((clockSeconds() - t0) * 1000.0);
    }
    sceneStop();
    char line[200];
    std::snprintf(line, sizeof line, "whole frames offscreen at %dx%d (EGL, %s), %d frames:\n",
                  width, height, reinterpret_cast<const char*>(glGetString(GL_RENDERER)), frames);
    out << line;
    printLine(out, "geometry", spreadOf(geometry));
    printLine(out, "submission", spreadOf(submission));
    printLine(out, "finish", spreadOf(finish));
    printLine(out, "finish, background only", spreadOf(backgroundFinish));
}

}  // namespace

void runBench(std::ostream& out, int frames, bool wholeFrames, int width, int height) {
    benchGeometry(out, frames);
    benchTextureSynthesis(out);
    if (wholeFrames) benchWholeFrames(out, frames, width, height);
}

}  // namespace vorlune::tool
