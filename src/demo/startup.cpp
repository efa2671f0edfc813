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
