// The start-up steps every front end shares: the picture tables, the song, the sound's start.
#pragma once
#include "sound/driver.h"

// Replayer ticks a second.
constexpr int demo_tick_rate = 41;

// The three lookup-table builders, in the demo's order.
void demo_build_tables();
// Loads the embedded song into the player; 1 on success, as pt_load.
int demo_load_song();

// How a front end starts its sound. The order is every front end's: the audio device, the tick
// handler, the driver, the song, then the music at the tick rate; how the driver is chosen is
// where they differ.
struct DemoSoundStart {
    SndAudioDevice device;
    // The SDL host: the driver menu with its answer pushed back onto standard input; the browser
    // and the offline clock: demo_driver_s16.
    int (*choose_driver)();
    // Between the song and the music: what the front end does there (the SDL host opens its
    // screen); 0 stops the start-up before the music. May be null.
    int (*before_music)() = nullptr;
    // The replayer's tick, or one that also takes notes (a benchmark); null: pt_tick.
    void (*tick)() = nullptr;
};
// 1 once the music has started; 0 when before_music stopped it (the song's load result, like
// every start-up step's, is not examined).
int demo_start_sound(const DemoSoundStart &start);
// The 44100 Hz 16-bit driver, without the menu (the browser and the offline clock).
int demo_driver_s16();
