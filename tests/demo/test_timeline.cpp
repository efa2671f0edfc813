// Timeline selection, settings and entry actions against the demo's own tables.
#include "demo/clip.h"
#include "demo/timeline.h"
#include "fx/fx.h"

#include <gtest/gtest.h>
#include <algorithm>

namespace {

struct Fresh : testing::Test {
    TimelineState state;
    void SetUp() override {
        clip_reset_state();
        for (int i = 0; i < clip_table_size; ++i) clip_rewind(clip_table[i]);
        state = TimelineState{};
    }
};

TEST_F(Fresh, ClockZeroIsTheIntro) {
    const FrameSettings s = timeline_lookup(0, 2, state);
    EXPECT_EQ(s.clip_index, 7);
    EXPECT_EQ(s.clip_speed, (float)((double)20.0f * 0.01));
    EXPECT_FALSE(s.backdrop);
    EXPECT_EQ(s.strip + s.feedback_mode + s.glow_mode + s.blur_mode, 0);
    EXPECT_EQ(s.overlay_image, overlay_none);
}

TEST_F(Fresh, Clock131And148) {
    FrameSettings s = timeline_lookup(131, 2, state);
    EXPECT_EQ(s.clip_index, 7);
    EXPECT_EQ(s.clip_speed, (float)(10.0 * 0.01));
    EXPECT_EQ(s.overlay_image, 2);
    EXPECT_EQ(s.overlay_x, 100);
    EXPECT_EQ(s.overlay_y, 5);
    timeline_lookup(148, 4, state);
    EXPECT_EQ(clip_direction(), -1.0f);
    timeline_lookup(148, 6, state); // only on the row's first frame
    EXPECT_EQ(clip_direction(), -1.0f);
    EXPECT_EQ(state.last_flipped, 2);
}

TEST_F(Fresh, RewindStutterOnThreeFramesNotAFourth) {
    timeline_lookup(1100, 2, state);
    for (int clock : {1101, 1102, 1103}) {
        clip_table[1].position = 12.0f;
        timeline_lookup(clock, 4, state);
        EXPECT_EQ(clip_table[1].position, 0.0f) << clock;
    }
    clip_table[1].position = 12.0f;
    timeline_lookup(1103, 6, state);
    EXPECT_EQ(clip_table[1].position, 12.0f);
}

TEST_F(Fresh, OverlayRowFortyWinsFrom1700) {
    for (int clock : {1700, 1702, 1704, 1742, 1800, 1840}) {
        const FrameSettings s = timeline_lookup(clock, 2, state);
        EXPECT_EQ(s.overlay_image, overlay_none) << clock;
    }
    EXPECT_EQ(timeline_lookup(1699, 2, state).overlay_image, 9);
}

TEST_F(Fresh, RowWithoutEntryBitsKeepsLastEntered) {
    timeline_lookup(431, 2, state);
    EXPECT_EQ(state.last_entered, 10);
    timeline_lookup(440, 4, state);
    EXPECT_EQ(state.last_entered, 10);
}

TEST_F(Fresh, JumpBackRerunsActions) {
    timeline_lookup(148, 2, state); // flip
    timeline_lookup(431, 4, state); // clear feedback: entered 10, no flip
    EXPECT_EQ(clip_direction(), -1.0f);
    timeline_lookup(148, 5, state); // same flip row as last time: nothing
    EXPECT_EQ(clip_direction(), -1.0f);
    timeline_lookup(502, 6, state); // another flip row
    EXPECT_EQ(clip_direction(), 1.0f);
    timeline_lookup(148, 7, state); // back: flips again
    EXPECT_EQ(clip_direction(), -1.0f);
    timeline_lookup(1600, 8, state);
    EXPECT_EQ(state.glow_origin, 8);
    timeline_lookup(431, 10, state);
    timeline_lookup(1600, 12, state); // re-entered: glow restarts
    EXPECT_EQ(state.glow_origin, 12);
}

TEST_F(Fresh, PictureBits) {
    FrameSettings s = timeline_lookup(200, 2, state); // 0x12
    EXPECT_EQ(s.clip_index, 2);
    EXPECT_TRUE(s.backdrop);
    EXPECT_EQ(s.param, (float)(10.0 * 0.01));
    s = timeline_lookup(1400, 2, state); // 0x19
    EXPECT_EQ(s.clip_index, 9);
    EXPECT_TRUE(s.backdrop);
    EXPECT_FALSE(s.no_clip);
    s = timeline_lookup(1416, 2, state); // clip 9 without backdrop, blurred
    EXPECT_FALSE(s.backdrop);
    EXPECT_EQ(s.blur_mode, 1);
    EXPECT_EQ(s.param, -1.0f);
}

TEST_F(Fresh, LastRowStartsTheAcceleratedStripAndFlips) {
    timeline_lookup(1740, 100, state);
    const float before = clip_direction();
    const FrameSettings s = timeline_lookup(1800, 321, state);
    EXPECT_EQ(state.strip_origin, 321);
    EXPECT_EQ(clip_direction(), -before);
    EXPECT_EQ(s.strip, 1);
    EXPECT_TRUE(s.strip_accel);
    EXPECT_EQ(s.param, (float)(10.0 * 0.01));
    EXPECT_EQ(state.last_entered, 76);
    EXPECT_EQ(state.last_flipped, 76);
}

TEST_F(Fresh, GlowSectionRestartsTheGlowOrigin) {
    const FrameSettings s = timeline_lookup(1600, 77, state);
    EXPECT_EQ(state.glow_origin, 77);
    EXPECT_EQ(s.glow_mode, 1);
    EXPECT_EQ(s.overlay_image, 0);
}

TEST_F(Fresh, NegativeClockSelectsNothing) {
    for (int clock : {-1, -37, -100000, -2147483647 - 1}) {
        const FrameSettings s = timeline_lookup(clock, 2, state);
        EXPECT_TRUE(s.no_clip);
        EXPECT_FALSE(s.backdrop);
        EXPECT_EQ(s.strip + s.feedback_mode + s.glow_mode + s.blur_mode, 0);
        EXPECT_EQ(s.overlay_image, overlay_none);
    }
    EXPECT_EQ(state.last_entered, -1);
    EXPECT_EQ(state.last_flipped, -1);
}

TEST(TimelineTables, SortedScenesOneOutOfOrderOverlay) {
    for (int i = 1; i < scene_cue_count; ++i) EXPECT_LT(scene_cues[i - 1].time, scene_cues[i].time);
    EXPECT_EQ(scene_cues[0].time, 0);
    EXPECT_EQ(overlay_cues[0].time, 0);
    EXPECT_EQ(overlay_cues[overlay_cue_count - 1].time, 1700);
}

} // namespace

namespace {

// Every overlay row, with both shakes, keeps its sprite inside the Canvas.
TEST(OverlayPlacement, EverySpriteStaysInsideTheCanvas) {
    for (int i = 0; i < overlay_cue_count; ++i) {
        const OverlayCue &cue = overlay_cues[i];
        if (cue.image == overlay_none) continue;
        ASSERT_GE(cue.image, 0);
        ASSERT_LT(cue.image, sprite_count);
        const int top = sprite_row_table[cue.image], height = sprite_row_table[cue.image + 1] - top;
        int rightmost = -1;
        for (int r = top; r < top + height; ++r)
            for (int x = 0; x < sprite_sheet_width; ++x)
                if (sprite_sheet[r * sprite_sheet_width + x] != 0)
                    rightmost = std::max(rightmost, x);
        EXPECT_GE(rightmost, 0) << "sprite " << cue.image << " is empty";
        EXPECT_LE(cue.x + 1 + rightmost, canvas_width - 1) << "row " << i;
        EXPECT_LE(cue.y + height, canvas_height - 1) << "row " << i;
        EXPECT_GE(cue.x, 0);
        EXPECT_GE(cue.y, 0);
    }
}

} // namespace
