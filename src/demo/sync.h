// Picture and sound together on a desktop: which song clock the pictures follow, and how long
// after the device asks for sound it is heard.
#pragma once

// A frame stays on screen for 40 ms: it shows the song as heard in the middle of that time.
constexpr int sync_frame_lead_ms = 20;
constexpr int sync_offset_limit_ms = 500;

// What the sound path behind SDL's audio driver adds to, or takes from, the one device buffer a
// request waits before it is heard, by the driver's name; measured (bench/README.md), and 0 for a
// driver not measured.
int demo_server_allowance_ms(const char *audio_driver);

// QUELLBRAND_SYNC: "heard" follows the song as heard; unset or "mixed" as it is mixed, as the demo
// always did. Anything else is invalid (*invalid set) and counts as unset.
bool demo_sync_heard(const char *value, bool *invalid);
// QUELLBRAND_AV_OFFSET_MS: a correction for a device, -500..500 ms, positive when the sound comes
// out later than the demo expects. Unset gives 0; anything else is invalid and gives 0.
int demo_sync_offset_ms(const char *value, bool *invalid);
// Samples from a device request until its first sample is heard, less the frame's lead (half a
// frame, and the time the frame takes to reach the screen): what the device queues, the server's
// allowance and the correction.
int demo_heard_latency(int rate, int device_samples, int allowance_ms, int offset_ms,
                       int render_us = 0);

// An OSS device's ring in frames: fragments of fragment_bytes of 16-bit sound at the channels it
// runs; 0 when the answer makes no sense.
int demo_oss_ring_frames(int fragments, int fragment_bytes, int channels);

// The time from reading the song clock to the frame being on the screen, smoothed over frames:
// each frame moves it by 1/sync_render_weight of the difference, and a frame held up by a stall
// counts as one frame period, so one long frame cannot throw the pictures off.
constexpr int sync_render_weight = 8;
constexpr int sync_render_limit_us = 40000;
struct SyncRender {
    int us = 0;
    bool noted = false;
};
void demo_render_note(SyncRender *render, int took_us);
