// A frame's geometry the quick way and the straightforward way, and the
// texture synthesis, under Google Benchmark.
#include <benchmark/benchmark.h>

#include "frame/render_settings.hpp"
#include "scene/ball_geometry.hpp"
#include "scene/shell_geometry.hpp"
#include "texture/texture_program.hpp"

namespace vorlune {
namespace {

struct CountingSink {
    long corners = 0;
    void beginTriangles() {}
    void endTriangles() {}
    void corner(const Vector3& n, const Vector3& v) {
        benchmark::DoNotOptimize(n);
        benchmark::DoNotOptimize(v);
        ++corners;
    }
};

void QuickGeometry(benchmark::State& state) {
    auto field = createSceneField(detailLevel);
    ShellGeometry shells(*field);
    CountingSink sink;
    int frame = 0;
    for (auto _ : state) {
        placeBalls(*field, static_cast<float>(frame++ % 2000) * 1.8003f);
        shells.evaluate();
        shells.polygoniseShells(sink);
    }
    state.counters["triangles"] = benchmark::Counter(static_cast<double>(sink.corners) / 3.0,
                                                     benchmark::Counter::kAvgIterations);
}
BENCHMARK(QuickGeometry)->Unit(benchmark::kMicrosecond);

void StraightforwardGeometry(benchmark::State& state) {
    auto field = createSceneField(detailLevel);
    CountingSink sink;
    int frame = 0;
    for (auto _ : state) {
        placeBalls(*field, static_cast<float>(frame++ % 2000) * 1.8003f);
        evaluateField(*field);
        polygoniseShells(*field, sink);
    }
    state.counters["triangles"] = benchmark::Counter(static_cast<double>(sink.corners) / 3.0,
                                                     benchmark::Counter::kAvgIterations);
}
BENCHMARK(StraightforwardGeometry)->Unit(benchmark::kMicrosecond);

void TextureSynthesis(benchmark::State& state) {
    for (auto _ : state) {
        TextureBuilder builder;
        runTextureProgram(builder, kBallTextureProgram);
        benchmark::DoNotOptimize(builder.layer(0));
    }
}
BENCHMARK(TextureSynthesis)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vorlune

BENCHMARK_MAIN();
