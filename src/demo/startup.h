// The start-up steps every front end shares: the picture tables, the song, the tick rate.
#pragma once

// Replayer ticks a second.
constexpr int demo_tick_rate = 41;

// The three lookup-table builders, in the demo's order.
void demo_build_tables();
// Loads the embedded song into the player; 1 on success, as pt_load.
int demo_load_song();
