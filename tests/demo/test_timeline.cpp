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
    // as the frame loop does: the settings, then the new row's actions
    FrameSettings lookup(int clock, int t) {
        TimelineActions actions;
        const FrameSettings s = timeline_lookup(clock, t, state, actions);
        timeline_run_actions(actions, s);
        return s;
    }
};

TEST_F(Fresh, ClockZeroIsTheIntro) {
    const FrameSettings s = lookup(0, 2);
    EXPECT_EQ(s.clip_index, 7);
    EXPECT_EQ(s.clip_speed, (float)((double)20.0f * 0.01));
    EXPECT_FALSE(s.backdrop);
    EXPECT_EQ(s.strip + s.feedback_mode + s.glow_mode + s.blur_mode, 0);
    EXPECT_EQ(s.overlay_image, overlay_none);
}

TEST_F(Fresh, Clock131And148) {
    FrameSettings s = lookup(131, 2);
    EXPECT_EQ(s.clip_index, 7);
    EXPECT_EQ(s.clip_speed, (float)(10.0 * 0.01));
    EXPECT_EQ(s.overlay_image, 2);
    EXPECT_EQ(s.overlay_x, 100);
    EXPECT_EQ(s.overlay_y, 5);
    lookup(148, 4);
    EXPECT_EQ(clip_direction(), -1.0f);
    lookup(148, 6); // only on the row's first frame
    EXPECT_EQ(clip_direction(), -1.0f);
    EXPECT_EQ(state.last_flipped, 2);
}

TEST_F(Fresh, RewindStutterOnThreeFramesNotAFourth) {
    lookup(1100, 2);
    for (int clock : {1101, 1102, 1103}) {
        clip_table[1].position = 12.0f;
        lookup(clock, 4);
        EXPECT_EQ(clip_table[1].position, 0.0f) << clock;
    }
    clip_table[1].position = 12.0f;
    lookup(1103, 6);
    EXPECT_EQ(clip_table[1].position, 12.0f);
}

TEST_F(Fresh, OverlayRowFortyWinsFrom1700) {
    for (int clock : {1700, 1702, 1704, 1742, 1800, 1840}) {
        const FrameSettings s = lookup(clock, 2);
        EXPECT_EQ(s.overlay_image, overlay_none) << clock;
    }
    EXPECT_EQ(lookup(1699, 2).overlay_image, 9);
}

// The lookup only says what a new row asks of the clips and the feedback; nothing runs until the
// actions do.
TEST_F(Fresh, ActionsAreReturnedNotRun) {
    struct Case {
        int clock;
        bool rewind, clear_feedback, flip;
    };
    const Case cases[] = {
        {0, false, false, false},   {148, false, false, true},  {431, false, true, false},
        {1032, true, false, false}, {1800, false, false, true}, {1600, false, false, false},
    };
    for (const Case &c : cases) {
        state = TimelineState{};
        clip_table[0].position = 12.0f;
        const float direction = clip_direction();
        TimelineActions a;
        timeline_lookup(c.clock, 2, state, a);
        EXPECT_EQ(a.rewind, c.rewind) << c.clock;
        EXPECT_EQ(a.clear_feedback, c.clear_feedback) << c.clock;
        EXPECT_EQ(a.flip, c.flip) << c.clock;
        EXPECT_EQ(clip_table[0].position, 12.0f) << c.clock;
        EXPECT_EQ(clip_direction(), direction) << c.clock;
        // entered once: the same row on the next frame asks nothing
        timeline_lookup(c.clock, 4, state, a);
        EXPECT_FALSE(a.rewind || a.clear_feedback || a.flip) << c.clock;
    }
}

TEST_F(Fresh, RowWithoutEntryBitsKeepsLastEntered) {
    lookup(431, 2);
    EXPECT_EQ(state.last_entered, 10);
    lookup(440, 4);
    EXPECT_EQ(state.last_entered, 10);
}

TEST_F(Fresh, JumpBackRerunsActions) {
    lookup(148, 2); // flip
    lookup(431, 4); // clear feedback: entered 10, no flip
    EXPECT_EQ(clip_direction(), -1.0f);
    lookup(148, 5); // same flip row as last time: nothing
    EXPECT_EQ(clip_direction(), -1.0f);
    lookup(502, 6); // another flip row
    EXPECT_EQ(clip_direction(), 1.0f);
    lookup(148, 7); // back: flips again
    EXPECT_EQ(clip_direction(), -1.0f);
    lookup(1600, 8);
    EXPECT_EQ(state.glow_origin, 8);
    lookup(431, 10);
    lookup(1600, 12); // re-entered: glow restarts
    EXPECT_EQ(state.glow_origin, 12);
}

TEST_F(Fresh, PictureBits) {
    FrameSettings s = lookup(200, 2); // 0x12
    EXPECT_EQ(s.clip_index, 2);
    EXPECT_TRUE(s.backdrop);
    EXPECT_EQ(s.param, (float)(10.0 * 0.01));
    s = lookup(1400, 2); // 0x19
    EXPECT_EQ(s.clip_index, 9);
    EXPECT_TRUE(s.backdrop);
    EXPECT_FALSE(s.no_clip);
    s = lookup(1416, 2); // clip 9 without backdrop, blurred
    EXPECT_FALSE(s.backdrop);
    EXPECT_EQ(s.blur_mode, 1);
    EXPECT_EQ(s.param, -1.0f);
}

TEST_F(Fresh, LastRowStartsTheAcceleratedStripAndFlips) {
    lookup(1740, 100);
    const float before = clip_direction();
    const FrameSettings s = lookup(1800, 321);
    EXPECT_EQ(state.strip_origin, 321);
    EXPECT_EQ(clip_direction(), -before);
    EXPECT_EQ(s.strip, 1);
    EXPECT_TRUE(s.strip_accel);
    EXPECT_EQ(s.param, (float)(10.0 * 0.01));
    EXPECT_EQ(state.last_entered, 76);
    EXPECT_EQ(state.last_flipped, 76);
}

TEST_F(Fresh, GlowSectionRestartsTheGlowOrigin) {
    const FrameSettings s = lookup(1600, 77);
    EXPECT_EQ(state.glow_origin, 77);
    EXPECT_EQ(s.glow_mode, 1);
    EXPECT_EQ(s.overlay_image, 0);
}

TEST_F(Fresh, NegativeClockSelectsNothing) {
    for (int clock : {-1, -37, -100000, -2147483647 - 1}) {
        const FrameSettings s = lookup(clock, 2);
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
