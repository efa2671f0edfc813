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
    // The Canvas to show, with the demo time and the song clock it was made from.
    void (*present)(const uint8_t *canvas, int t, int clock);
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
// 1 once the replayer's first tick has run: the start time can be taken.
int demo_music_started(const DemoHost &host);

// The frame loop's own state between steps.
struct DemoLoop {
    double start_ms = 0;
    int gate = 1;     // the next frame comes once demo time passes this
    uint32_t now = 0; // the clock as the last step read it
    TimelineState state;
};
enum DemoStepResult { demo_step_waiting, demo_step_frame, demo_step_ended };
// A loop that starts at the given time.
DemoLoop demo_loop_start(double start_ms);
// One pass of the frame gate: reads the clock once and, when demo time has passed the gate, makes
// and presents one frame. The desktop calls it in its gate, the tools on their virtual clock and
// the browser once per animation frame. After demo_step_ended the loop is not stepped again.
DemoStepResult demo_step(const DemoHost &host, DemoLoop &loop);
// Milliseconds from the last step's clock reading until the next frame is due.
double demo_ms_until_due(const DemoLoop &loop);
// Runs frames from the given start time until the song ends or the user quits.
void demo_run(const DemoHost &host, double start_ms);

// The two Canvases, and a way back to the start-up state of everything the loop owns.
extern uint8_t work_canvas[];
extern uint8_t spare_canvas[];
void demo_reset();
