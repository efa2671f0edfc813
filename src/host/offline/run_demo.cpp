// The demo's start-up and frame loop on the virtual clock.
#include "host/offline/run_demo.h"
#include "demo/frame.h"
#include "demo/startup.h"
#include "host/offline/virtual_clock.h"
#include "player/player.h"

namespace {
int no_events(int *, int *) {
    return 0;
}
} // namespace

void offline_run_demo(void (*on_buffer)(const int16_t *), void (*on_start)(double),
                      void (*present)(const uint8_t *, int, int)) {
    demo_build_tables();
    offline_start_demo_sound();
    offline_clock_reset(on_buffer);
    const double start_ms = offline_clock_start_demo(demo_first_tick_clock);
    if (on_start) on_start(start_ms);
    demo_run({offline_clock_ticks, pt_song_clock, no_events, present}, start_ms);
}
