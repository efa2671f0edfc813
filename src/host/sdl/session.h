// What every SDL host does around the core, on SDL 1.2 and SDL 2 alike: the stop signals, the
// song clock the pictures follow (mixed or heard) with the watch on the sound device, the trace,
// and the driver menu answered by the demo itself.
#pragma once
#include "sound/driver.h"

#include <cstdint>

// Ctrl-C and SIGTERM end the demo the way Escape does (SDL would turn them into the window-close
// event, which the demo ignores). Again after anything that may have set SDL's own handlers.
void session_catch_stop_signals();
// 1 once for each stop asked for by a signal.
int session_take_stop();

// Once SDL's audio is up: the channels SDL's device is opened with (sdl_audio_widen).
void session_choose_device_channels();
// SDL's audio device opened with what the sound libraries print held back unless it opens.
int session_open_audio_quietly(int freq, int format, int channels, int samples);
// The driver menu, answered "2" (44100 Hz 16-bit) by the demo itself.
int session_driver_menu();
// Once the sound is open, before the music: QUELLBRAND_SYNC, QUELLBRAND_AV_OFFSET_MS and
// QUELLBRAND_TRACE.
void session_choose_clock();

// The frame loop's hooks: the millisecond clock, the song clock it reads (which also watches the
// sound device), an event it handled and a frame it put on the screen.
uint32_t session_ticks();
int session_song_clock();
void session_event(int type, int key);
void session_frame_shown(int t, int clock);
// The trace closed.
void session_end();

// The name SDL gives its audio driver ("" when none): one file per SDL version.
void sdl_audio_driver_name(char *name, int size);
