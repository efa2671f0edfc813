// quellbrand-cost: runs one picture step, a whole frame or the mixer a given number of times inside
// cost_measure(), so an instruction counter (callgrind's --toggle-collect=cost_measure, or qemu's
// instruction plugin over two runs) gives its cost per pixel or per sample.
#include "demo/clip.h"
#include "demo/frame.h"
#include "demo/present.h"
#include "demo/scale.h"
#include "demo/startup.h"
#include "host/offline/virtual_clock.h"
#include "fx/fx.h"
#include "player/player.h"
#include "sound/mixer.h"
#include "scenes.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// word-aligned, as the demo's Canvases are
alignas(16) uint8_t work[canvas_size];
alignas(16) uint8_t spare[canvas_size];
// the 16-bit screens the presentation writes, as named arrays: the cycle model finds them by name
// and counts their stores as the handheld's uncached framebuffer writes
uint8_t screen[320 * 240 * 2];
// a 1280x960 window: the picture at scale 4
constexpr ScreenLayout scaled_layout = {1280, 960, 4, 0, 0};
uint8_t scaled_screen[1280 * 960 * 2];
int8_t wave[bench_wave_bytes];
int16_t mixed[2048];

const char *what = "";
bool is(const char *name) {
    return std::strcmp(what, name) == 0;
}
int clock_arg = 0;
FrameSettings frame_settings;
TimelineState frame_state;

void one(int i) {
    const int t = 300 + 2 * i;
    if (is("warp"))
        fx_warp_texture(work, t, 0);
    else if (is("warp100"))
        fx_warp_texture(work, t, 100);
    else if (is("clip"))
        clip_render(work, clip_table[8], t * 20, clip_mode_replace);
    else if (is("clip_add"))
        clip_render(work, clip_table[8], t * 20, clip_mode_add);
    else if (is("blur"))
        fx_vertical_blur(work, spare, 0, 0, 0, 0, 320, 200, 320, 35);
    else if (is("feedback"))
        fx_feedback(work, 250, 0);
    else if (is("feedback_turn"))
        fx_feedback(work, 250, 1);
    else if (is("glow"))
        fx_block_glow(work, 20, 40, 10);
    else if (is("flare"))
        fx_block_glow(work, 32, 244, 0);
    else if (is("damage"))
        fx_film_damage(work, t);
    else if (is("strip"))
        fx_film_strip(spare, work, 40000.0f + 0.01f * i);
    else if (is("sprite"))
        fx_stamp_sprite(work, 100, 20, 9, t);
    else if (is("present"))
        present_copy(screen, 640, work);
    else if (is("present4"))
        present_scaled_copy(scaled_screen, 1280 * 2, scaled_layout, work);
    else if (is("frame") || is("worst")) {
        FrameSettings s = frame_settings;
        present_copy(screen, 640, demo_picture_chain(s, t, frame_state, work, spare));
    } else if (is("mix")) {
        for (int k = 0; k < 44100 / 2048 + 1; ++k) snd_mix(mixed, 2048, 1);
    } else if (is("song")) {
        // a second of the song as the audio callback makes it: ticks and mixing
        for (int k = 0; k < 44100 / 2048 + 1; ++k) offline_audio_buffer(mixed);
    }
}

} // namespace

extern "C" __attribute__((noinline)) void cost_measure(int iterations) {
    for (int i = 0; i < iterations; ++i) one(i);
}

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: quellbrand-cost WHAT ITERATIONS [CLOCK]\n"
                     "  WHAT: warp warp100 clip clip_add blur feedback feedback_turn glow flare\n"
                     "        damage strip sprite present present4 frame (at CLOCK) worst mix\n"
                     "        song (from CLOCK)\n");
        return 2;
    }
    what = argv[1];
    const int iterations = std::atoi(argv[2]);
    clock_arg = argc > 3 ? std::atoi(argv[3]) : 0;
    demo_build_tables();
    // a realistic picture to work on
    fx_warp_texture(work, 0, 0);
    clip_render(work, clip_table[8], 0, clip_mode_add);
    if (is("frame")) {
        TimelineActions actions;
        frame_settings = timeline_lookup(clock_arg, 300, frame_state, actions);
    } else if (is("worst")) {
        frame_settings = bench_worst_case();
    } else if (is("mix")) {
        bench_four_voices(wave);
    } else if (is("song")) {
        offline_start_demo_sound();
        while (pt_song_clock() < clock_arg) offline_audio_buffer(mixed);
    }
    cost_measure(iterations);
    std::printf("%s x %d done\n", what, iterations);
    return 0;
}
