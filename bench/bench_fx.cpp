// Cost of each picture effect, the clip renderer and the heaviest frame the timeline produces.
#include "demo/clip.h"
#include "demo/frame.h"
#include "fx/fx.h"
#include "scenes.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

struct Setup {
    Setup() {
        fx_build_blend_tables();
        fx_build_division_table();
        fx_build_warp_map();
    }
} setup;

std::vector<uint8_t> a(canvas_size, 90), b(canvas_size, 0);

void per_pixel(benchmark::State &state) {
    state.SetItemsProcessed(state.iterations() * canvas_size);
}

void BM_warp_texture(benchmark::State &state) {
    int t = 0;
    for (auto _ : state) fx_warp_texture(a.data(), t++, (int)state.range(0));
    per_pixel(state);
}
BENCHMARK(BM_warp_texture)->Arg(0)->Arg(100);

void BM_clip_render(benchmark::State &state) {
    int t = 0;
    for (auto _ : state) clip_render(a.data(), clip_table[8], (t += 40), (int)state.range(0));
    per_pixel(state);
}
BENCHMARK(BM_clip_render)->Arg(clip_mode_replace)->Arg(clip_mode_add);

void BM_vertical_blur(benchmark::State &state) {
    for (auto _ : state)
        fx_vertical_blur(a.data(), b.data(), 0, 0, 0, 0, 320, 200, 320, (int)state.range(0));
    per_pixel(state);
}
BENCHMARK(BM_vertical_blur)->Arg(10)->Arg(60);

void BM_feedback(benchmark::State &state) {
    for (auto _ : state) fx_feedback(a.data(), 250, (int)state.range(0));
    per_pixel(state);
}
BENCHMARK(BM_feedback)->Arg(0)->Arg(1);

void BM_block_glow(benchmark::State &state) {
    for (auto _ : state) fx_block_glow(a.data(), (int)state.range(0), 60, 10);
    per_pixel(state);
}
BENCHMARK(BM_block_glow)->Arg(20)->Arg(32);

void BM_film_damage(benchmark::State &state) {
    int t = 0;
    for (auto _ : state) fx_film_damage(a.data(), t++);
    per_pixel(state);
}
BENCHMARK(BM_film_damage);

void BM_film_strip(benchmark::State &state) {
    float k = 40000.0f;
    for (auto _ : state) fx_film_strip(b.data(), a.data(), k += 0.01f);
    per_pixel(state);
}
BENCHMARK(BM_film_strip);

void BM_stamp_sprite(benchmark::State &state) {
    for (auto _ : state) fx_stamp_sprite(a.data(), 100, 20, 9, 0);
    per_pixel(state);
}
BENCHMARK(BM_stamp_sprite);

// Every step of the chain at once: backdrop, clip added, sprite, blur, feedback, glow, damage,
// film strip.
void BM_worst_frame(benchmark::State &state) {
    FrameSettings s = bench_worst_case();
    TimelineState ts;
    int t = 100;
    for (auto _ : state)
        benchmark::DoNotOptimize(demo_picture_chain(s, t += 2, ts, a.data(), b.data()));
    per_pixel(state);
}
BENCHMARK(BM_worst_frame);

} // namespace

BENCHMARK_MAIN();
