// The start-up steps every front end shares.
#include "demo/startup.h"
#include "data/embedded.h"
#include "fx/fx.h"
#include "player/player.h"

void demo_build_tables() {
    fx_build_blend_tables();
    fx_build_division_table();
    fx_build_warp_map();
}

int demo_load_song() {
    return pt_load(song_module, song_module_size);
}

int demo_start_sound(const DemoSoundStart &start) {
    snd_audio_device = start.device;
    snd_set_tick_handler(start.tick ? start.tick : pt_tick, pt_song_clock);
    start.choose_driver();
    demo_load_song();
    if (start.before_music && !start.before_music()) return 0;
    snd_start(demo_tick_rate);
    return 1;
}

int demo_driver_s16() {
    return snd_open_driver(snd_mode_s16_44100);
}
