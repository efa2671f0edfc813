// The golden record of a whole run on the virtual clock: frames, clocks, the sound's hash and the
// pictures at the cues. Fixed arrays, no C++ library containers: the handheld's static build,
// which has no C++ run-time library, makes it too.
#pragma once
#include <cstddef>
#include <cstdint>

// 64-bit FNV-1a
constexpr uint64_t golden_hash_basis = 1469598103934665603ull;
uint64_t golden_hash(uint64_t h, const uint8_t *p, size_t n);

// Every 25th frame's clock is kept; this many at most (a 17-minute run).
constexpr int golden_every = 25;
constexpr int golden_max_kept = 1024;

// Starts a record: no frames, no sound, the cue clocks taken from the timeline.
void golden_begin();
void golden_audio(const int16_t *samples, size_t count);
void golden_frame(const uint8_t *canvas, int t, int clock);
// Writes the record; false when it cannot, or when the run outgrew the record.
bool golden_write(const char *path, uint64_t buffers);
