// The frame trace's lines: written and read back, and what is not a line.
#include "demo/frame.h"
#include "demo/trace.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::string line_of(const TraceFrame &f) {
    char out[trace_max_events * 16 + 64];
    const int n = trace_format(f, out, sizeof out);
    return n < 0 ? std::string("(too long)") : std::string(out, (size_t)n);
}

TEST(Trace, LinesRoundTrip) {
    TraceFrame plain;
    plain.ns = 123456789012345LL, plain.clock = 1840, plain.t = 4402;
    TraceFrame keys = plain;
    trace_add_event(keys, event_key_down, key_f1);
    trace_add_event(keys, 12, 0);                      // the window's close: not kept
    trace_add_event(keys, event_key_down + 1, key_f1); // a release: not kept
    trace_add_event(keys, event_mouse_button_down, 0);
    TraceFrame early;
    early.clock = -1, early.t = 2; // before the first tick
    TraceFrame full = plain;
    for (int i = 0; i < trace_max_events + 3; ++i) trace_add_event(full, event_key_down, key_up);
    const struct {
        const TraceFrame &frame;
        const char *line;
    } cases[] = {
        {plain, "123456789012345 1840 4402\n"},
        {keys, "123456789012345 1840 4402 2:282 5:0\n"},
        {early, "0 -1 2\n"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(line_of(c.frame), c.line);
        TraceFrame back;
        ASSERT_TRUE(trace_parse(c.line, back)) << c.line;
        EXPECT_EQ(line_of(back), c.line);
    }
    EXPECT_EQ(full.event_count, trace_max_events);
    EXPECT_TRUE(full.overflow);
    TraceFrame back;
    ASSERT_TRUE(trace_parse(line_of(full).c_str(), back));
    EXPECT_TRUE(back.overflow);
    EXPECT_EQ(back.event_count, trace_max_events);
}

TEST(Trace, WhatIsNotALine) {
    TraceFrame f;
    for (const char *line : {"", "12", "12 1840", "x 1 2", "1 2 3 2", "1 2 3 2:", "1 2 3 :4",
                             "1 2 3 2:4x", "1 2 3 overflowing"})
        EXPECT_FALSE(trace_parse(line, f)) << '"' << line << '"';
    // an old trace's two numbers are not a frame of this one
    EXPECT_FALSE(trace_parse("5 100\n", f));
}

TEST(Trace, ALineThatDoesNotFitIsNotWritten) {
    TraceFrame f;
    f.ns = 1, f.clock = 2, f.t = 3;
    char out[6];
    EXPECT_EQ(trace_format(f, out, sizeof out), -1);
    char fits[7];
    EXPECT_EQ(trace_format(f, fits, sizeof fits), 6);
    EXPECT_STREQ(fits, "1 2 3\n");
}

} // namespace
