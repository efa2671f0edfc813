// The whole demo on the virtual clock, for the offline front ends.
#pragma once
#include <cstdint>

// Starts the demo in its own order with the device and the screen replaced, and runs it to its
// end: every buffer the audio thread would mix goes to on_buffer (offline_buffer_samples each),
// on_start gets the start time before the first frame, every frame goes to present with its demo
// time and song clock.
void offline_run_demo(void (*on_buffer)(const int16_t *samples), void (*on_start)(double start_ms),
                      void (*present)(const uint8_t *canvas, int t, int clock));
