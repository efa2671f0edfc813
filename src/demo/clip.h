// The clip renderer: one-bit animation clips drawn into a Canvas with a back-and-forth cross-fade.
#pragma once
#include <cstdint>

struct ClipRecord {
    float position;        // play position in position units
    const char *name;      // unused, empty
    const uint8_t *frames; // frame_count frames of clip_frame_bytes each
    int32_t frame_count;
};

constexpr int clip_row_bytes = 40;
constexpr int clip_frame_bytes = clip_row_bytes * 200;
static_assert(clip_frame_bytes == 8000, "a clip frame is 200 rows of 40 bytes");

constexpr int clip_table_size = 10;
extern int32_t clip_count;
// The clips, by what they show: the index in clip_table.
constexpr int clip_burst = 0;   // a burst of fire opening and closing
constexpr int clip_crystal = 1; // a crystal drop turning
constexpr int clip_ripples = 2; // rain on water
constexpr int clip_shoal = 3;   // fish beating their tails
constexpr int clip_runner = 4;  // a runner
constexpr int clip_spring = 5;  // water leaping from a source
constexpr int clip_steam = 6;   // steam curling up from a bowl
constexpr int clip_horse = 7;   // a galloping horse with a mane of flame
constexpr int clip_fire = 8;    // tongues of fire with sparks
constexpr int clip_torus = 9;   // a ring turning in space
extern ClipRecord clip_table[clip_table_size];

// Value of a lit pixel; a cross-fade of two lit frames stays at or below it.
constexpr uint8_t clip_lit = 254;
constexpr int clip_mode_add = 0;
constexpr int clip_mode_replace = 16;

void clip_render(uint8_t *canvas, ClipRecord &clip, int time_ms, int mode);
void clip_rewind(ClipRecord &clip);
void clip_flip_direction();
void clip_set_speed(float speed);

// Frame index shown for an integral position (the back-and-forth order) and the renderer's
// speed/direction/last-time state, exposed for tests and tools.
int clip_frame_for(float whole_position, int32_t frame_count);
float clip_direction();
// Back to the start-up state: speed 1, direction +1, last time 0; positions are left alone.
void clip_reset_state();
