// The sound path without a device, and the virtual clock the capture and the browser's exact
// renders run the frame loop on.
#pragma once
#include <cstdint>

// Chooses the 44100 Hz 16-bit driver over a device that opens without SDL, and starts ticks at
// the demo's rate; from then on offline_audio_buffer plays the part of the audio thread.
void offline_sound_start();
// The same in the demo's two steps: the driver menu (before the song is loaded), then the start.
void offline_sound_choose();
void offline_sound_begin();
// One device buffer of 2048 samples, as the audio thread would ask for it.
void offline_audio_buffer(int16_t *samples);
constexpr int offline_buffer_samples = 2048;
constexpr int offline_rate = 44100;

// The virtual clock the capture and the browser's exact renders run the demo on: every reading
// moves it on a millisecond, and the device buffers due by then (buffer k at k x 2048 / 44100 s)
// are mixed and handed to the hook, as the audio thread would have asked for them.
void offline_clock_reset(void (*on_buffer)(const int16_t *samples));
uint32_t offline_clock_ticks();
uint32_t offline_clock_now_ms();
uint64_t offline_clock_buffers();
// The demo's start-up on the virtual clock, after offline_sound_choose and the song's load: starts
// the ticks and runs the clock until the song clock is at most first_tick_clock (the replayer's
// first tick has run); returns the demo's start time.
double offline_clock_start_demo(int first_tick_clock);
