// What the benchmarks measure: the worst frame a viewer can ask for, and four playing voices.
#pragma once
#include "demo/timeline.h"
#include "sound/mixer.h"

#include <cstdint>

// F1-F4 turn every step on over a backdrop scene with a sprite: backdrop, clip added, sprite,
// blur, feedback with turn, glow, damage, film strip.
inline FrameSettings bench_worst_case() {
    FrameSettings s;
    s.backdrop = true;
    s.clip_index = 9;
    s.clip_speed = 1.0f;
    s.param = 1.0f;
    s.overlay_image = 9;
    s.overlay_x = 100;
    s.overlay_y = 20;
    s.blur_mode = 1;
    s.feedback_mode = 3;
    s.glow_mode = 1;
    s.strip = 1;
    return s;
}

// Four voices at 44100 Hz on an 8192-byte wave, two looped and two one-shot.
constexpr int bench_wave_bytes = 8192;
inline void bench_four_voices(int8_t (&wave)[bench_wave_bytes]) {
    snd_reset(44100);
    snd_set_master_volume(64);
    for (int i = 0; i < bench_wave_bytes; ++i) wave[i] = (int8_t)((i * 37) & 0x7f);
    for (int v = 0; v < 4; ++v) {
        snd_set_sample(v + 1, wave, 8192, 100, 8000, v & 1);
        snd_select_voice(v);
        snd_play_sample(v + 1);
        snd_set_volume(48);
        snd_set_period(200 + 50 * v);
        snd_set_position(0);
    }
}
