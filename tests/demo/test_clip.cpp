// The clip renderer's positions, frame order and cross-fade, and the embedded clips themselves.
#include "demo/clip.h"
#include "fx/canvas.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// A clip whose frame i lights exactly the pixels whose column is i (mod 10 frames), plus a row of
// pixels lit in every frame.
struct TestClip {
    std::vector<uint8_t> frames;
    ClipRecord record;
    explicit TestClip(int n) : frames((size_t)n * clip_frame_bytes, 0) {
        for (int f = 0; f < n; ++f) {
            uint8_t *frame = frames.data() + (size_t)f * clip_frame_bytes;
            frame[f / 8] |= (uint8_t)(1 << (f % 8)); // row 0, column f
            for (int c = 0; c < clip_row_bytes; ++c)
                frame[clip_row_bytes + c] = 0xff; // row 1 all lit
        }
        record = {0.0f, "", frames.data(), n};
    }
};

// Renders with the position set beforehand and no time passing.
std::vector<uint8_t> render_at(TestClip &clip, float position, int mode = clip_mode_replace,
                               uint8_t fill = 0) {
    clip_reset_state();
    std::vector<uint8_t> canvas(canvas_size, fill);
    clip.record.position = position;
    clip_render(canvas.data(), clip.record, 0, mode);
    return canvas;
}

TEST(ClipOrder, BackAndForthTwoAtATime) {
    const int ten[] = {0, 2, 4, 6, 8, 9, 7, 5, 3, 1, 0};
    for (int k = 0; k < 11; ++k) EXPECT_EQ(clip_frame_for((float)k, 10), ten[k]) << k;
    const int five[] = {0, 2, 4, 3, 1, 0};
    for (int k = 0; k < 6; ++k) EXPECT_EQ(clip_frame_for((float)k, 5), five[k]) << k;
}

TEST(ClipRender, WholePositionShowsOneFrameAt254) {
    TestClip clip(10);
    const std::vector<uint8_t> c = render_at(clip, 4.0f); // frames A = B = 8
    EXPECT_EQ(c[8], clip_lit);
    for (int x = 0; x < 10; ++x)
        if (x != 8) {
            EXPECT_EQ(c[x], 0) << x;
        }
    EXPECT_EQ(c[canvas_width + 100], clip_lit);
}

TEST(ClipRender, HalfPositionCrossFades) {
    TestClip clip(10);
    const std::vector<uint8_t> c = render_at(clip, 4.5f); // A = 8, B = 9
    EXPECT_EQ(c[8], 127);
    EXPECT_EQ(c[9], 127);
    EXPECT_EQ(c[canvas_width + 5], 254); // lit in both
}

TEST(ClipRender, LitInBothAtPointThree) {
    TestClip clip(10);
    const std::vector<uint8_t> c = render_at(clip, 0.3f); // 177 + 76
    EXPECT_EQ(c[canvas_width], 253);
    EXPECT_EQ(c[0], 177); // frame 0 fading out
    EXPECT_EQ(c[2], 76);  // frame 2 fading in
}

TEST(ClipRender, StepOfFortyMillisecondsIsOneUnit) {
    TestClip clip(10);
    clip_reset_state();
    std::vector<uint8_t> canvas(canvas_size);
    clip_render(canvas.data(), clip.record, 0, clip_mode_replace);
    clip_render(canvas.data(), clip.record, 40, clip_mode_replace);
    EXPECT_EQ(clip.record.position, 1.0f);
    // the very first call measures from time 0
    clip_reset_state();
    clip.record.position = 0.0f;
    clip_set_speed(0.5f);
    clip_render(canvas.data(), clip.record, 40, clip_mode_replace);
    EXPECT_EQ(clip.record.position, 0.5f);
}

TEST(ClipRender, BackwardsWrapsBelowZero) {
    TestClip clip(10);
    clip_reset_state();
    std::vector<uint8_t> canvas(canvas_size);
    clip_flip_direction();
    clip_set_speed(0.5f);
    clip.record.position = 0.2f;
    clip_render(canvas.data(), clip.record, 40, clip_mode_replace);
    EXPECT_EQ(clip.record.position, 9999.7f); // -0.3 plus ten frames' worth of cycles
    // the next step goes on backwards from there without a jump
    clip_render(canvas.data(), clip.record, 80, clip_mode_replace);
    EXPECT_EQ(clip.record.position, (float)(-0.5 + (double)9999.7f));
}

// A stall of minutes between two frames makes one step as long as many wrap cycles.
TEST(ClipRender, AnyStepEndsInRange) {
    struct Step {
        int frames;
        float start;
        double units; // the step, in multiples of frame_count
    };
    const Step steps[] = {{10, 0.2f, -1e6},     {80, 3.5f, -1e6},    {1, 0.0f, -1e6},
                          {63, 62.9f, -1000.5}, {35, 0.0f, -1000.0}, {10, 0.2f, 1e6},
                          {80, 0.0f, 1e6},      {45, 7.25f, -2e9}};
    for (const Step &st : steps) {
        TestClip clip(st.frames);
        std::vector<uint8_t> canvas(canvas_size);
        for (float direction : {1.0f, -1.0f}) {
            clip_reset_state();
            if (direction < 0) clip_flip_direction();
            // 40 ms is one position unit at speed 1
            clip_set_speed((float)(st.units * st.frames * direction));
            clip.record.position = st.start;
            clip_render(canvas.data(), clip.record, 40, clip_mode_replace);
            const float p = clip.record.position;
            EXPECT_GE(p, 0.0f) << st.frames << " " << st.units << " " << direction;
            const int a = clip_frame_for(floorf(p), st.frames),
                      b = clip_frame_for(ceilf(p), st.frames);
            EXPECT_TRUE(a >= 0 && a < st.frames && b >= 0 && b < st.frames) << a << " " << b;
        }
    }
    // a whole number of cycles backwards lands where it started
    TestClip clip(10);
    std::vector<uint8_t> canvas(canvas_size);
    clip_reset_state();
    clip_flip_direction();
    clip_set_speed(10.0f * 25000.0f); // 25 000 cycles, more than the 1000 one wrap adds
    clip.record.position = 4.0f;
    clip_render(canvas.data(), clip.record, 40, clip_mode_replace);
    EXPECT_EQ(clip.record.position, 4.0f);
}

TEST(ClipRender, ReplaceLeavesNoTraceAddSaturates) {
    TestClip clip(10);
    const std::vector<uint8_t> replaced = render_at(clip, 4.0f, clip_mode_replace, 99);
    EXPECT_EQ(replaced[100 * canvas_width], 0);
    const std::vector<uint8_t> added = render_at(clip, 4.0f, clip_mode_add, 200);
    EXPECT_EQ(added[canvas_width + 3], 255);
    EXPECT_EQ(added[100 * canvas_width], 200);
    const std::vector<uint8_t> zero = render_at(clip, 4.0f, clip_mode_add, 0);
    EXPECT_EQ(zero[100 * canvas_width], 0);
}

TEST(ClipRender, BitZeroIsTheLeftmostPixel) {
    std::vector<uint8_t> frame(clip_frame_bytes, 0);
    frame[0] = 0x01;
    frame[1] = 0x80;
    ClipRecord rec{0.0f, "", frame.data(), 1};
    clip_reset_state();
    std::vector<uint8_t> canvas(canvas_size, 7);
    clip_render(canvas.data(), rec, 0, clip_mode_replace);
    const uint8_t expect[16] = {254, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 254};
    for (int x = 0; x < 16; ++x) EXPECT_EQ(canvas[x], expect[x]) << x;
}

// ---- the embedded clips ----

std::vector<uint8_t> read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(ClipArt, FrameCountsAndTable) {
    const int expected[10] = {63, 35, 10, 20, 45, 80, 80, 80, 80, 80};
    ASSERT_EQ(clip_count, 10);
    for (int c = 0; c < 10; ++c) EXPECT_EQ(clip_table[c].frame_count, expected[c]);
    for (int c = 1; c < 10; ++c)
        EXPECT_EQ(clip_table[c].frames,
                  clip_table[c - 1].frames + (size_t)expected[c - 1] * clip_frame_bytes);
}

TEST(ClipArt, NoFrameIsBlankOrAllLit) {
    for (int c = 0; c < clip_count; ++c)
        for (int f = 0; f < clip_table[c].frame_count; ++f) {
            const uint8_t *frame = clip_table[c].frames + (size_t)f * clip_frame_bytes;
            int lit = 0;
            for (int i = 0; i < clip_frame_bytes; ++i) lit += __builtin_popcount(frame[i]);
            EXPECT_GT(lit, canvas_size / 100) << "clip " << c << " frame " << f;
            EXPECT_LT(lit, canvas_size / 2) << "clip " << c << " frame " << f;
        }
}

TEST(ClipArt, GeneratorIsDeterministic) {
    const std::string a = testing::TempDir() + "clips-a.bin",
                      b = testing::TempDir() + "clips-b.bin";
    ASSERT_EQ(std::system((std::string(QB_GEN_CLIPS) + " " + a).c_str()), 0);
    ASSERT_EQ(std::system((std::string(QB_GEN_CLIPS) + " " + b).c_str()), 0);
    const std::vector<uint8_t> first = read_file(a), second = read_file(b);
    EXPECT_EQ(first.size(), 573u * clip_frame_bytes);
    EXPECT_TRUE(first == second);
    // and it is what the demo embeds
    EXPECT_EQ(0, std::memcmp(first.data(), clip_table[0].frames, first.size()));
    std::remove(a.c_str());
    std::remove(b.c_str());
}

} // namespace
