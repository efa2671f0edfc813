// Cost of mixing four voices and of one replayer tick over a row full of effects.
#include "modwriter.h"
#include "player/player.h"
#include "sound/driver.h"
#include "sound/mixer.h"
#include "scenes.h"

#include <benchmark/benchmark.h>
#include <vector>

namespace {

int8_t wave[bench_wave_bytes];

void BM_mix_four_voices_one_second(benchmark::State &state) {
    bench_four_voices(wave);
    std::vector<int16_t> out(2048);
    for (auto _ : state)
        for (int i = 0; i < 44100 / 2048 + 1; ++i) snd_mix(out.data(), 2048, 1);
    // items: voice-samples mixed
    state.SetItemsProcessed(state.iterations() * 4 * (44100 / 2048 + 1) * 2048);
}
BENCHMARK(BM_mix_four_voices_one_second);

std::vector<uint8_t> module_bytes;

void BM_tick_row_with_effects(benchmark::State &state) {
    ModWriterSong song;
    ModWriterSample s;
    s.data.assign(4096, 3);
    s.loop_start = 0;
    s.loop_length = 4096;
    song.samples = {s};
    std::vector<ModWriterCell> p = mod_empty_pattern(4);
    for (int r = 0; r < 64; ++r) {
        p[r * 4 + 0] = {1, mod_period(36 + r % 12), 0x0, 0x37};
        p[r * 4 + 1] = {1, mod_period(30), 0x4, 0x68};
        p[r * 4 + 2] = {0, mod_period(40), 0x3, 0x08};
        p[r * 4 + 3] = {1, mod_period(48), 0xA, 0x21};
    }
    song.patterns = {p};
    song.order = {0};
    module_bytes = mod_write(song);
    const size_t size = module_bytes.size();
    module_bytes.push_back(0);
    snd_voice_ops = snd_mixer_ops;
    pt_load(module_bytes.data(), size);
    for (auto _ : state) pt_tick();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_tick_row_with_effects);

} // namespace

BENCHMARK_MAIN();
