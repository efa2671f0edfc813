// The sound path without a device, and the virtual clock the capture and the browser's exact
// renders run the frame loop on.
#pragma once
#include <cstdint>

#include "sound/driver.h"

// A device that opens without SDL and never calls back: offline_audio_buffer plays the part of
// the audio thread.
extern const SndAudioDevice offline_audio_device;
// The demo's sound start-up over that device, with the embedded song.
void offline_start_demo_sound();
// Chooses the 44100 Hz 16-bit driver over that device and starts ticks at the demo's rate, for a
// module the caller loads.
void offline_sound_start();
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
// The demo's start-up on the virtual clock, once its sound has started: runs the clock until the
// song clock is at most first_tick_clock (the replayer's first tick has run); returns the demo's
// start time.
double offline_clock_start_demo(int first_tick_clock);
