// The timeline: scene and overlay tables keyed by the song clock, and the per-frame settings.
#pragma once
#include <cstdint>

struct SceneCue {
    int32_t time;     // song clock from which the row applies
    int32_t picture;  // bits 0-3 clip, 0x10 backdrop, 0x20 no clip
    int32_t speed;    // clip speed in hundredths
    int32_t on_enter; // one-time actions when the row is entered
    int32_t effects;  // picture steps while the row is selected
    int32_t param;    // hundredths: backdrop threshold, strip speed factor
};

struct OverlayCue {
    int32_t time;
    int32_t image; // sprite number, 255 for none
    int32_t x;
    int32_t y;
};

constexpr int scene_cue_count = 77;
constexpr int overlay_cue_count = 41;
extern const SceneCue scene_cues[scene_cue_count];
extern const OverlayCue overlay_cues[overlay_cue_count];

// Bits of SceneCue::picture.
constexpr int picture_clip_mask = 0x0f;
constexpr int picture_backdrop = 0x10;
constexpr int picture_no_clip = 0x20;
// Bits of SceneCue::on_enter.
constexpr int enter_none = 0;
constexpr int enter_flip = 0x01;
constexpr int enter_rewind = 0x02;
constexpr int enter_clear_feedback = 0x04;
constexpr int enter_strip_origin = 0x08;
constexpr int enter_glow_origin = 0x10;
// Bits of SceneCue::effects.
constexpr int effect_none = 0;
constexpr int effect_strip = 0x01;
constexpr int effect_feedback = 0x02;
constexpr int effect_glow = 0x08;
constexpr int effect_blur = 0x10;

constexpr int overlay_none = 255;

struct TimelineState {
    int last_entered = -1;
    int last_flipped = -1;
    int strip_origin = 0;
    int glow_origin = 0;
};

struct FrameSettings {
    int clip_index = 0;
    bool backdrop = false;
    bool no_clip = false;
    float clip_speed = 0.0f;
    float param = 0.0f;
    int strip = 0;
    bool strip_accel = false;
    int feedback_mode = 0;
    int glow_mode = 0;
    int blur_mode = 0;
    int overlay_image = overlay_none;
    int overlay_x = 0;
    int overlay_y = 0;
};

// What a newly entered scene row asks of the clips and the feedback, once.
struct TimelineActions {
    bool rewind = false;         // the row's clip back to its start
    bool clear_feedback = false; // the feedback memory black
    bool flip = false;           // the clips' playback direction reversed
};

// Selects this frame's rows and returns the frame's settings. A newly entered row's origins
// (strip, glow) and the rows entered and flipped are kept in state; what it asks of the clips and
// the feedback goes to actions, for timeline_run_actions. A clock below 0 selects no row: no
// backdrop, clip, overlay or effect and no action, so the Canvas keeps the picture it had (black
// before the music starts) and only film damage runs on it.
FrameSettings timeline_lookup(int song_clock, int t, TimelineState &state,
                              TimelineActions &actions);
// Rewinds the frame's clip, clears the feedback and flips the direction, as actions ask.
void timeline_run_actions(const TimelineActions &actions, const FrameSettings &s);
