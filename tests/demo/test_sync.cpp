// Which song clock the desktop's pictures follow, the hand correction, and the latency they give.
#include "demo/sync.h"

#include <gtest/gtest.h>

namespace {

TEST(Sync, HeardOnlyWhenAskedFor) {
    const struct {
        const char *value;
        bool heard, invalid;
    } cases[] = {
        {nullptr, false, false}, {"mixed", false, false}, {"heard", true, false}, {"", false, true},
        {"Heard", false, true},  {"heard ", false, true}, {"1", false, true},
    };
    for (const auto &c : cases) {
        bool invalid = !c.invalid;
        EXPECT_EQ(demo_sync_heard(c.value, &invalid), c.heard) << (c.value ? c.value : "unset");
        EXPECT_EQ(invalid, c.invalid) << (c.value ? c.value : "unset");
    }
}

TEST(Sync, OffsetWithinHalfASecond) {
    const struct {
        const char *value;
        int ms;
        bool invalid;
    } cases[] = {
        {nullptr, 0, false}, {"0", 0, false},       {"35", 35, false}, {"-120", -120, false},
        {"500", 500, false}, {"-500", -500, false}, {"501", 0, true},  {"-501", 0, true},
        {"", 0, true},       {"12ms", 0, true},     {"ten", 0, true},  {"1e2", 0, true},
    };
    for (const auto &c : cases) {
        bool invalid = !c.invalid;
        EXPECT_EQ(demo_sync_offset_ms(c.value, &invalid), c.ms) << (c.value ? c.value : "unset");
        EXPECT_EQ(invalid, c.invalid) << (c.value ? c.value : "unset");
    }
}

// A device buffer, the server's allowance and the correction, less the half frame a frame leads.
TEST(Sync, LatencyInSamples) {
    const struct {
        int rate, buffer, allowance_ms, offset_ms, samples;
    } cases[] = {
        {44100, 2048, 0, 0, 2048 - 882},   {44100, 2048, 0, 100, 2048 + 3528},
        {44100, 2048, -9, 0, 2048 - 1278}, {44100, 1024, 0, -500, 1024 - 22932},
        {22050, 2048, 0, 40, 2048 + 441},  {44100, 2048, 20, 0, 2048},
    };
    for (const auto &c : cases)
        EXPECT_EQ(demo_heard_latency(c.rate, c.buffer, c.allowance_ms, c.offset_ms), c.samples);
    // a frame that takes 15 ms to reach the screen leads by that much more (661.5 samples)
    EXPECT_EQ(demo_heard_latency(44100, 4096, 0, 0, 15000), 4096 - 1543);
    EXPECT_EQ(demo_heard_latency(44100, 4096, 0, 0, 500), 4096 - 904);
}

// What OSS devices answer to GETOSPACE under SDL's two-fragment request, in frames.
TEST(Sync, OssRingInFrames) {
    const struct {
        int fragments, bytes, channels, frames;
    } cases[] = {
        {2, 8192, 2, 4096}, // stereo on every handheld: two fragments of 2048 frames
        {2, 4096, 1, 4096}, // the emulated kernel's loopback, mono
        {2, 4096, 2, 2048}, // a ring of 2 x 1024 frames set up for the stream
        {16, 32768, 2, 131072}, {1, 8192, 2, 0}, {2, 0, 2, 0}, {2, 8192, 0, 0}, {2, 8192, 6, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(demo_oss_ring_frames(c.fragments, c.bytes, c.channels), c.frames)
            << c.fragments << " x " << c.bytes << " at " << c.channels;
}

// The render time: the first frame's as it is, then an eighth of each difference; a stall's frame
// counts as one frame period, a clock that went back as nothing.
TEST(Sync, RenderTimeSmoothed) {
    const struct {
        int took_us, smoothed_us;
    } frames[] = {
        {15000, 15000},  {15000, 15000}, {23000, 16000}, {16000, 16000},
        {400000, 19000}, {19000, 19000}, {-5000, 16625}, {16625, 16625},
    };
    SyncRender render;
    for (const auto &f : frames) {
        demo_render_note(&render, f.took_us);
        EXPECT_EQ(render.us, f.smoothed_us) << f.took_us;
    }
}

// Drivers never measured get none.
TEST(Sync, NoAllowanceForAnUnmeasuredDriver) {
    EXPECT_EQ(demo_server_allowance_ms("alsa"), 0);
    EXPECT_EQ(demo_server_allowance_ms("pulse "), 0);
    EXPECT_EQ(demo_server_allowance_ms(""), 0);
    EXPECT_EQ(demo_server_allowance_ms(nullptr), 0);
}

} // namespace
