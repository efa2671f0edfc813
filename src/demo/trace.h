// The frame trace: every presented frame's time, song clock, demo time and the events it handled,
// a line each, so that a live run's pictures can be made again frame for frame.
#pragma once
#include <cstddef>
#include <cstdint>

// Events a frame's line holds; a frame that handled more is marked as overflowing.
constexpr int trace_max_events = 256;
struct TraceFrame {
    int64_t ns = 0; // monotonic time after the frame was shown
    int clock = 0;  // the song clock it was made from
    int t = 0;      // its demo time
    int event_count = 0;
    int types[trace_max_events];
    int keys[trace_max_events];
    bool overflow = false;
};
// Only the events the frame loop acts on are kept: key-downs and mouse buttons.
bool trace_keeps(int type);
void trace_add_event(TraceFrame &f, int type, int key);
// One line, "NS CLOCK T[ TYPE:KEY...][ overflow]" and a newline; the length written, or -1 when
// it does not fit.
int trace_format(const TraceFrame &f, char *out, size_t size);
// A line back; false when it is not one.
bool trace_parse(const char *line, TraceFrame &f);
