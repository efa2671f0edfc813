// One frame of the demo: the picture chain, the keys, the command line and the frame loop.
#pragma once
#include "demo/timeline.h"
#include <cstdint>

// The picture steps of one frame (backdrop to film strip) on the two Canvases; returns the Canvas
// to show.
uint8_t *demo_picture_chain(FrameSettings &s, int t, const TimelineState &state, uint8_t *work,
                            uint8_t *spare);

// Event codes, as SDL 1.2 numbers them.
constexpr int event_key_down = 2;
constexpr int event_mouse_button_down = 5;
constexpr int key_return = 13;
constexpr int key_escape = 27;
constexpr int key_space = 32;
constexpr int key_up = 273;
constexpr int key_down = 274;
constexpr int key_f1 = 282;
constexpr int key_f2 = 283;
constexpr int key_f3 = 284;
constexpr int key_f4 = 285;

// Applies one event to this frame's settings; returns 1 when the demo is to end after the frame.
int demo_handle_event(int type, int key, FrameSettings &s);

// Video flags from the command line: demo_fullscreen or 0 (a window).
constexpr uint32_t demo_fullscreen = 0x80000000u;
uint32_t demo_video_flags(int argc, const char *const *argv);

// Demo time in 20 ms units since the start time.
int demo_time(uint32_t now_ms, double start_ms);

// What the frame loop needs from its surroundings: SDL for the demo, a virtual clock for tools
// and tests.
struct DemoHost {
    uint32_t (*ticks_ms)();
    int (*song_clock)();
    int (*poll_event)(int *type, int *key); // 1 while an event was returned
    void (*present)(const uint8_t *canvas);
    // Gives the processor back for about a millisecond while the frame gate waits; none: the gate
    // only busy-waits (the handheld, whose sleeps last 10 ms, and the virtual clocks).
    void (*sleep_ms)(int ms) = nullptr;
};
// The gate sleeps only while at least this much remains before the next frame is due; the last
// stretch is busy-waited, so the frames come when they would without sleeping.
constexpr int demo_gate_sleep_margin_ms = 3;
constexpr int demo_ms_per_unit = 20;

constexpr int demo_end_clock = 1840;
constexpr int demo_first_tick_clock = 100;

// Busy-waits until the replayer's first tick has run.
void demo_wait_for_music(const DemoHost &host);
// Runs frames from the given start time until the song ends or the user quits.
void demo_run(const DemoHost &host, double start_ms);

// The two Canvases, and a way back to the start-up state of everything the loop owns.
extern uint8_t work_canvas[];
extern uint8_t spare_canvas[];
void demo_reset();
