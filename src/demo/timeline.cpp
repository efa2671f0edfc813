// Timeline lookup: pick this frame's scene and overlay rows, and a new scene row's entry actions.
#include "demo/timeline.h"
#include "demo/clip.h"
#include "fx/fx.h"

namespace {

// Hundredths to a float, through single then double precision as the settings require.
float hundredths(int32_t v) {
    return (float)((double)(float)v * 0.01);
}

template <typename Row> int select_row(const Row *rows, int count, int song_clock) {
    int selected = -1;
    for (int i = 0; i < count; ++i)
        if (rows[i].time <= song_clock) selected = i;
    return selected;
}

} // namespace

FrameSettings timeline_lookup(int song_clock, int t, TimelineState &state,
                              TimelineActions &actions) {
    FrameSettings s;
    actions = TimelineActions{};
    const int c = select_row(scene_cues, scene_cue_count, song_clock);
    const int o = select_row(overlay_cues, overlay_cue_count, song_clock);
    if (c < 0 || o < 0) {
        s.no_clip = true;
        return s;
    }

    const SceneCue &row = scene_cues[c];
    s.clip_index = (row.picture % 16) % clip_count;
    s.backdrop = (row.picture & picture_backdrop) != 0;
    s.no_clip = (row.picture & picture_no_clip) != 0;
    s.clip_speed = hundredths(row.speed);
    s.param = hundredths(row.param);
    s.strip = row.effects & effect_strip ? 1 : 0;
    s.strip_accel = (row.on_enter & enter_strip_origin) != 0;
    s.feedback_mode = row.effects & effect_feedback ? 1 : 0;
    s.glow_mode = row.effects & effect_glow ? 1 : 0;
    s.blur_mode = row.effects & effect_blur ? 1 : 0;
    s.overlay_image = overlay_cues[o].image;
    s.overlay_x = overlay_cues[o].x;
    s.overlay_y = overlay_cues[o].y;

    if (c != state.last_entered) {
        bool ran = true;
        if (row.on_enter & enter_glow_origin)
            state.glow_origin = t;
        else if (row.on_enter & enter_strip_origin)
            state.strip_origin = t;
        else if (row.on_enter & enter_clear_feedback)
            actions.clear_feedback = true;
        else if (row.on_enter & enter_rewind)
            actions.rewind = true;
        else
            ran = false;
        if (ran) state.last_entered = c;
    }
    if (c != state.last_flipped && (row.on_enter & enter_flip)) {
        actions.flip = true;
        state.last_flipped = c;
    }
    return s;
}

void timeline_run_actions(const TimelineActions &actions, const FrameSettings &s) {
    if (actions.clear_feedback) fx_feedback_clear();
    if (actions.rewind) clip_rewind(clip_table[s.clip_index]);
    if (actions.flip) clip_flip_direction();
}
