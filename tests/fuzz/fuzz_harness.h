// What the fuzzer does with one input: load it as a module and, if it loads, play and mix it.
#pragma once
#include "player/player.h"
#include "sound/driver.h"
#include "sound/mixer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

inline void fuzz_one_module(const uint8_t *data, size_t size) {
    constexpr int ticks = 2000;
    constexpr int samples_per_tick = 8;
    // the loader's contract: a zero byte after the module
    std::vector<uint8_t> module(data, data + size);
    module.push_back(0);
    pt_clear();
    snd_mixer_clear();
    snd_reset(44100);
    snd_set_master_volume(64);
    snd_voice_ops = snd_mixer_ops;
    if (!pt_load(module.data(), size)) return;
    int16_t out[samples_per_tick];
    for (int i = 0; i < ticks; ++i) {
        pt_tick();
        snd_mix(out, samples_per_tick, 1);
        (void)pt_song_clock();
    }
}
