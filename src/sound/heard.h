// The song clock as it is heard: where in the output stream each tick's samples start, and the
// clock that tick leaves.
#pragma once
#include <cstdint>

// Ticks kept: about six seconds at 41 a second, far more than any output queue holds.
constexpr int snd_heard_ring_size = 256;
static_assert((snd_heard_ring_size & (snd_heard_ring_size - 1)) == 0, "a power of two");

// Tick thread: the tick whose samples start at stream sample first_sample left the song at clock.
// Positions only grow.
void snd_heard_record(int64_t first_sample, int clock);
// Any thread, without a lock: the clock of the last tick that starts at or before position, a
// sample of the output stream (negative: before the stream); before the first tick, the clock
// the song had when the ring was cleared.
int snd_heard_clock(int64_t position);
// Before the ticks start: empties the ring (the clock reads start_clock until the first tick is
// recorded) and forgets the requests.
void snd_heard_clear(int start_clock);

// Where the desktop's output is, estimated from when the device asks for each buffer.
//   Tick thread: the device asked for the buffer that starts at stream sample first_sample at
//   now_ms (rate: samples a second). A request can come late, never early: of the last few, the one
//   that came earliest against the stream is the one to go by.
void snd_heard_note_request(uint32_t now_ms, int64_t first_sample, int rate);
//   Any thread: the stream sample being heard at now_ms, when what a request asks for is heard
//   latency_samples after it; before any request, a position before the stream.
int64_t snd_heard_position(uint32_t now_ms, int latency_samples, int rate);
// Requests compared; a fifth of a second of buffers.
constexpr int snd_heard_requests_kept = 8;

// Where the browser's output is, from when each buffer was scheduled to start on the audio
// context's timeline (seconds).
struct SndScheduledBuffer {
    int64_t first_sample; // of the output stream
    double start;
};
// The stream sample leaving for the speakers lead_ms after output_time, by the last buffers
// scheduled: count buffers so far, the last min(count, kept) of them in ring[n % kept]. In a gap
// after a buffer, the end of that buffer; before every buffer kept, -1.
int64_t snd_heard_scheduled(const SndScheduledBuffer *ring, int kept, int count, double output_time,
                            int lead_ms, int rate, int buffer_samples);

// A heard position that never goes back, though its estimate may waver by a millisecond or two:
// the larger of position and *last, which it becomes. *last starts at snd_heard_nothing_yet.
constexpr int64_t snd_heard_nothing_yet = INT64_MIN;
int64_t snd_heard_never_back(int64_t position, int64_t *last);
