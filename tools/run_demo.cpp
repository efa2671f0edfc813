// The demo's start-up and frame loop on the virtual clock.
#include "run_demo.h"
#include "demo/frame.h"
#include "demo/virtual_clock.h"
#include "fx/fx.h"
#include "player/player.h"

extern "C" uint8_t song_module[];
extern "C" uint8_t song_module_end[];

namespace {
int no_events(int *, int *) {
    return 0;
}
} // namespace

void offline_run_demo(void (*on_buffer)(const int16_t *), void (*on_start)(double),
                      void (*present)(const uint8_t *)) {
    fx_build_blend_tables();
    fx_build_division_table();
    fx_build_warp_map();
    offline_sound_choose();
    pt_load(song_module, (size_t)(song_module_end - song_module));
    offline_clock_reset(on_buffer);
    const double start_ms = offline_clock_start_demo(demo_first_tick_clock);
    if (on_start) on_start(start_ms);
    demo_run({offline_clock_ticks, pt_song_clock, no_events, present}, start_ms);
}
