// What the fuzzer does with one input: load it as a module and, if it loads, play and mix it.
#pragma once
#include "player/player.h"
#include "sound/driver.h"
#include "sound/mixer.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>
#if defined(__has_include)
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

// The largest input the fuzzer makes (its -max_len); larger ones, such as a kept crash input, are
// copied to the heap instead.
constexpr size_t fuzz_max_module = 300000;
// Ticks per input at most, and how many times the song may enter a row it has played before
// (pattern loops) before it counts as having looped.
constexpr int fuzz_max_ticks = 1000;
constexpr int fuzz_repeat_rows = 16;
constexpr int fuzz_samples_per_tick = 8;

// The module goes into one static area, the same memory every time (no allocation, no fresh pages
// per input), with everything around its bytes and their zero byte poisoned: a read outside them
// is still reported as it would be on the heap.
inline uint8_t *fuzz_module_copy(const uint8_t *data, size_t size) {
    constexpr size_t guard = 64;
    alignas(64) static uint8_t area[guard + fuzz_max_module + 1 + guard];
    static bool guarded = false;
    if (!guarded) {
        ASAN_POISON_MEMORY_REGION(area, sizeof area);
        guarded = true;
    }
    uint8_t *module = area + guard;
    ASAN_UNPOISON_MEMORY_REGION(module, size + 1);
    std::memcpy(module, data, size);
    module[size] = 0;
    ASAN_POISON_MEMORY_REGION(module + size + 1, fuzz_max_module - size);
    return module;
}

inline void fuzz_one_module(const uint8_t *data, size_t size) {
    // the loader's contract: a zero byte after the module
    std::vector<uint8_t> heap;
    uint8_t *module;
    if (size <= fuzz_max_module) {
        module = fuzz_module_copy(data, size);
    } else {
        heap.assign(data, data + size);
        heap.push_back(0);
        module = heap.data();
    }
    pt_clear();
    snd_mixer_clear();
    snd_reset(44100);
    snd_set_master_volume(64);
    snd_voice_ops = snd_mixer_ops;
    if (!pt_load(module, size)) return;
    // Playing on once the song has come round again finds little that is new: stop there.
    std::bitset<pt_order_entries * pt_rows> played;
    int repeats = 0, last = -1;
    int16_t out[fuzz_samples_per_tick];
    for (int i = 0; i < fuzz_max_ticks; ++i) {
        pt_tick();
        snd_mix(out, fuzz_samples_per_tick, 1);
        const int clock = pt_song_clock();
        if (clock == last || clock < 0) continue;
        last = clock;
        const size_t row =
            (size_t)(clock / 100 % pt_order_entries) * pt_rows + (size_t)(clock % 100 % pt_rows);
        if (played[row] && ++repeats > fuzz_repeat_rows) break;
        played[row] = true;
    }
}
