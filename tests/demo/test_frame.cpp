// Command line, key table and the frame loop's gate and exit, on a virtual clock.
#include "demo/clip.h"
#include "demo/frame.h"
#include "demo/startup.h"
#include "fx/fx.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct CommandLine {
    std::vector<const char *> argv;
    bool window;
};

TEST(CommandLine, TableOfNamesAndArguments) {
    const CommandLine cases[] = {
        {{"quellbrand"}, false},
        {{"quellbrand", "-w"}, true},
        {{"quellbrand", "-w", "x"}, false},
        {{"quellbrand", "-wx"}, false},
        {{"quellbrand", "-W"}, false},
        {{"quellbrand", ""}, false},
        {{"./quellbrandw"}, true},
        {{"./quellbrandw", "-w"}, false},
        {{"./quellbrandw", "-wx"}, true},
        {{"w"}, true},
        {{""}, false},
        {{"quellbrand", "x", "-w"}, false},
    };
    for (const CommandLine &c : cases) {
        const uint32_t flags = demo_video_flags((int)c.argv.size(), c.argv.data());
        EXPECT_EQ(flags, c.window ? 0u : demo_fullscreen) << c.argv[0] << " " << c.argv.size();
    }
    EXPECT_EQ(demo_video_flags(0, nullptr), demo_fullscreen);
}

FrameSettings base() {
    FrameSettings s;
    s.clip_speed = 1.0f;
    return s;
}

TEST(Keys, EachKeyChangesItsSetting) {
    FrameSettings s = base();
    EXPECT_EQ(demo_handle_event(event_key_down, key_f1, s), 0);
    EXPECT_EQ(s.feedback_mode, 1);
    s.feedback_mode = 3;
    demo_handle_event(event_key_down, key_f1, s);
    EXPECT_EQ(s.feedback_mode, 0);
    demo_handle_event(event_key_down, key_f2, s);
    EXPECT_EQ(s.blur_mode, 1); // blur off turns on
    demo_handle_event(event_key_down, key_f2, s);
    EXPECT_EQ(s.blur_mode, 2); // mode 1 gives mode 2, still on
    s.glow_mode = 2;
    demo_handle_event(event_key_down, key_f3, s);
    EXPECT_EQ(s.glow_mode, 0);
    demo_handle_event(event_key_down, key_f4, s);
    EXPECT_EQ(s.strip, 1);
    demo_handle_event(event_key_down, key_f4, s);
    EXPECT_EQ(s.strip, 0);
    demo_handle_event(event_key_down, key_up, s);
    EXPECT_EQ(s.clip_speed, (float)(1.0f + 0.05));
}

TEST(Keys, DownOnlyWhileTheSpeedIsAboveZero) {
    FrameSettings s = base();
    s.clip_speed = 0.02f;
    demo_handle_event(event_key_down, key_down, s);
    EXPECT_EQ(s.clip_speed, (float)(0.02f - 0.05));
    EXPECT_LT(s.clip_speed, 0.0f);
    const float below = s.clip_speed;
    demo_handle_event(event_key_down, key_down, s);
    EXPECT_EQ(s.clip_speed, below);
}

TEST(Keys, SpaceFlipsReturnRewinds) {
    clip_reset_state();
    FrameSettings s = base();
    s.clip_index = 3;
    demo_handle_event(event_key_down, key_space, s);
    EXPECT_EQ(clip_direction(), -1.0f);
    demo_handle_event(event_key_down, key_space, s);
    EXPECT_EQ(clip_direction(), 1.0f); // two presses cancel
    clip_table[3].position = 7.5f;
    demo_handle_event(event_key_down, key_return, s);
    EXPECT_EQ(clip_table[3].position, 0.0f);
}

TEST(Keys, QuitEventsAndIgnoredOnes) {
    FrameSettings s = base();
    EXPECT_EQ(demo_handle_event(event_key_down, key_escape, s), 1);
    EXPECT_EQ(demo_handle_event(event_mouse_button_down, 0, s), 1);
    const int ignored[][2] = {{12, 0}, {3, key_escape}, {event_key_down, 'a'}, {4, 0}, {6, 0}};
    for (const auto &e : ignored) EXPECT_EQ(demo_handle_event(e[0], e[1], s), 0);
}

// A virtual millisecond clock that moves one millisecond per read, as a busy loop sees it.
struct Virtual {
    uint32_t ms = 0;
    int clock = 0;
    int frames = 0;
    std::vector<int> frame_times;
    std::vector<int> frame_clocks; // as the present hook was told
    int clock_reads = 0;
    int slow_frame = -1;
    int quit_frame = -1;
    int quit_type = event_key_down;
    int end_frame = 1000;
    bool pending_quit = false;
} v;

uint32_t fake_ticks() {
    return v.ms++;
}
int fake_clock() {
    ++v.clock_reads;
    return v.frames >= v.end_frame ? demo_end_clock + 1 : v.clock;
}
int fake_poll(int *type, int *key) {
    if (v.frames == v.quit_frame && !v.pending_quit) {
        v.pending_quit = true;
        *type = v.quit_type;
        *key = key_escape;
        return 1;
    }
    return 0;
}
void fake_present(const uint8_t *, int t, int clock) {
    v.frame_times.push_back(t);
    v.frame_clocks.push_back(clock);
    if (v.frames == v.slow_frame) v.ms += 100;
    ++v.frames;
}

// A sleep of one millisecond on the virtual clock; it must come at least the margin before the
// next frame is due (frames are due at every second 20 ms unit from the last one).
int sleeps = 0, late_sleeps = 0;
void fake_sleep(int ms) {
    ++sleeps;
    const uint32_t due =
        (uint32_t)((v.frame_times.empty() ? 1 : v.frame_times.back() + 1) + 1) * demo_ms_per_unit;
    if (v.ms + demo_gate_sleep_margin_ms - 1 > due) ++late_sleeps;
    v.ms += (uint32_t)ms;
}

void run(Virtual setup, bool sleeping = false) {
    demo_build_tables();
    demo_reset();
    v = setup;
    sleeps = late_sleeps = 0;
    demo_run({fake_ticks, fake_clock, fake_poll, fake_present, sleeping ? fake_sleep : nullptr},
             0.0);
}

// Sleeping in the gate gives the processor back without moving a frame.
TEST(FrameLoop, SleepingGateMakesTheSameFrames) {
    Virtual s;
    s.end_frame = 40;
    s.slow_frame = 7;
    run(s);
    const std::vector<int> busy = v.frame_times;
    run(s, true);
    EXPECT_EQ(v.frame_times, busy);
    EXPECT_GT(sleeps, 40 * 10); // most of every 40 ms slept away
    EXPECT_EQ(late_sleeps, 0);
}

TEST(FrameLoop, FramesAtEveryOtherTimeUnit) {
    Virtual s;
    s.end_frame = 4;
    run(s);
    ASSERT_EQ(v.frame_times.size(), 5u); // the frame that sees the end is still shown
    EXPECT_EQ(v.frame_times[0], 2);
    EXPECT_EQ(v.frame_times[1], 4);
    EXPECT_EQ(v.frame_times[2], 6);
    EXPECT_EQ(v.frame_times[3], 8);
}

TEST(FrameLoop, ASlowFrameIsFollowedAtOnce) {
    Virtual s;
    s.slow_frame = 1;
    s.end_frame = 4;
    run(s);
    ASSERT_GE(v.frame_times.size(), 3u);
    EXPECT_EQ(v.frame_times[1], 4);
    EXPECT_EQ(v.frame_times[2], 9); // 100 ms later, no wait for the gate
}

TEST(FrameLoop, EscapeAndMouseEndAfterTheFrameIsShown) {
    for (int type : {event_key_down, event_mouse_button_down}) {
        Virtual s;
        s.quit_frame = 2;
        s.quit_type = type;
        run(s);
        EXPECT_EQ(v.frames, 3);
    }
}

TEST(FrameLoop, Clock1840GoesOn1841Ends) {
    Virtual s;
    s.clock = demo_end_clock;
    s.end_frame = 6;
    run(s);
    EXPECT_EQ(v.frames, 7);
    // the present hook is told the clock the frame was made from, read once a frame
    const std::vector<int> told = {1840, 1840, 1840, 1840, 1840, 1840, 1841};
    EXPECT_EQ(v.frame_clocks, told);
    EXPECT_EQ(v.clock_reads, 7);
}

} // namespace

// Driven a step at a time, as the browser drives it, the loop reads the clock once a step, shows
// nothing while the gate is shut, and makes the frames demo_run makes.
TEST(FrameLoop, StepsMakeTheFramesTheLoopMakes) {
    Virtual s;
    s.end_frame = 30;
    s.slow_frame = 5;
    run(s);
    const std::vector<int> looped = v.frame_times;

    demo_reset();
    v = s;
    const DemoHost host = {fake_ticks, fake_clock, fake_poll, fake_present};
    DemoLoop loop = demo_loop_start(0.0);
    int waits = 0;
    for (;;) {
        const uint32_t read_before = v.ms;
        const int frames_before = v.frames;
        const DemoStepResult r = demo_step(host, loop);
        ASSERT_EQ(loop.now, read_before);
        if (r == demo_step_waiting) {
            ++waits;
            ASSERT_EQ(v.frames, frames_before);
            ASSERT_EQ(v.ms, read_before + 1);
            ASSERT_GT(demo_ms_until_due(loop), 0.0);
        } else {
            ASSERT_EQ(v.frames, frames_before + 1);
        }
        if (r == demo_step_ended) break;
    }
    EXPECT_EQ(v.frame_times, looped);
    EXPECT_GT(waits, 30 * 30);
}

namespace {

// The blur and the feedback the way the handheld runs them and the way x86 runs them: the same
// frames, scene after scene (feedback, blur, both with the strip, glow with its flare).
std::vector<std::vector<uint8_t>> shown;
void keep_frame(const uint8_t *canvas, int, int) {
    shown.emplace_back(canvas, canvas + canvas_size);
    ++v.frames;
}

TEST(FrameLoop, BothKernelsMakeTheSameFrames) {
    std::vector<std::vector<uint8_t>> frames[2];
    for (FxKernels kernels : {fx_kernels_scalar, fx_kernels_simd}) {
        demo_build_tables();
        demo_reset();
        fx_set_kernels(kernels);
        shown.clear();
        for (int clock : {440, 816, 1416, 1600, 1800}) {
            v = Virtual{};
            v.clock = clock;
            v.end_frame = 6;
            demo_run({fake_ticks, fake_clock, fake_poll, keep_frame}, 0.0);
        }
        frames[kernels] = shown;
    }
    ASSERT_EQ(frames[0].size(), 5u * 7u);
    for (size_t i = 0; i < frames[0].size(); ++i) ASSERT_EQ(frames[0][i], frames[1][i]) << i;
}

} // namespace
