// The frame loop and the picture chain that turn the song clock into a picture.
#include "demo/frame.h"
#include "demo/clip.h"
#include "fx/fx.h"

#include <cmath>
#include <cstring>

// aligned for the word-at-a-time steps
alignas(16) uint8_t work_canvas[canvas_size];
alignas(16) uint8_t spare_canvas[canvas_size];

namespace {
constexpr int glow_block = 20;
constexpr int flare_block = 32, flare_gain = 244;
constexpr float strip_position_base = 40000.0f;
struct FeedbackSetting {
    int zoom, angle;
};
constexpr FeedbackSetting feedback_settings[4] = {{0, 0}, {250, 0}, {245, 0}, {250, 1}};
} // namespace

uint8_t *demo_picture_chain(FrameSettings &s, int t, const TimelineState &state, uint8_t *work,
                            uint8_t *spare) {
    uint8_t *shown = work;
    if (s.backdrop) fx_warp_texture(work, t, (int)(s.param * 100.0f));
    clip_set_speed(s.clip_speed);
    if (!s.no_clip)
        clip_render(work, clip_table[s.clip_index], (int)((unsigned)t * 20u),
                    s.backdrop ? clip_mode_add : clip_mode_replace);
    if (s.overlay_image != overlay_none)
        fx_stamp_sprite(shown, s.overlay_x, s.overlay_y, s.overlay_image, t);
    if (s.blur_mode != 0) {
        const int width = (int)((std::sin(t * 0.03) + 1.0) * 25.0 + 10.0);
        fx_vertical_blur(work, spare, 0, 0, 0, 0, canvas_width, canvas_height, canvas_width, width);
        std::memcpy(work, spare, canvas_size);
    }
    if (s.feedback_mode != 0) {
        const FeedbackSetting &f = feedback_settings[s.feedback_mode & 3];
        fx_feedback(shown, f.zoom, f.angle);
    }
    if (s.glow_mode == 1) {
        const double e = (double)(float)(t - state.glow_origin);
        fx_block_glow(work, glow_block, (int)(e * 0.5), (int)(e * 0.12));
    } else if (s.glow_mode == 2) {
        fx_block_glow(work, flare_block, flare_gain, 0);
    }
    fx_film_damage(work, t);
    if (s.strip != 0) {
        const float z = s.strip_accel ? (float)std::pow(t - state.strip_origin, 1.7) : (float)t;
        const float k = (float)((double)z * 0.015 * (double)s.param + (double)strip_position_base);
        fx_film_strip(spare, work, k);
        shown = spare;
    }
    return shown;
}

int demo_handle_event(int type, int key, FrameSettings &s) {
    if (type == event_mouse_button_down) return 1;
    if (type != event_key_down) return 0;
    switch (key) {
    case key_escape:
        return 1;
    case key_return:
        clip_rewind(clip_table[s.clip_index]);
        break;
    case key_space:
        clip_flip_direction();
        break;
    case key_up:
        s.clip_speed = (float)(s.clip_speed + 0.05);
        break;
    case key_down:
        if (s.clip_speed > 0) s.clip_speed = (float)(s.clip_speed - 0.05);
        break;
    case key_f1:
        s.feedback_mode = (s.feedback_mode + 1) & 3;
        break;
    case key_f2:
        s.blur_mode = (s.blur_mode + 1) & 3;
        break;
    case key_f3:
        s.glow_mode = (s.glow_mode + 1) % 3;
        break;
    case key_f4:
        s.strip ^= 1;
        break;
    default:
        break;
    }
    return 0;
}

uint32_t demo_video_flags(int argc, const char *const *argv) {
    uint32_t flags = demo_fullscreen;
    if (argc == 2 && argv[1] && std::strcmp(argv[1], "-w") == 0) flags = 0;
    const char *name = argc > 0 ? argv[0] : nullptr;
    if (name && name[0] && name[std::strlen(name) - 1] == 'w') flags += demo_fullscreen;
    return flags;
}

int demo_time(uint32_t now_ms, double start_ms) {
    return (int)(((double)now_ms - start_ms) * 0.05);
}

void demo_wait_for_music(const DemoHost &host) {
    while (!demo_music_started(host)) {
    }
}

int demo_music_started(const DemoHost &host) {
    return (unsigned)host.song_clock() <= (unsigned)demo_first_tick_clock;
}

DemoLoop demo_loop_start(double start_ms) {
    DemoLoop loop;
    loop.start_ms = start_ms;
    return loop;
}

DemoStepResult demo_step(const DemoHost &host, DemoLoop &loop) {
    loop.now = host.ticks_ms();
    const int t = demo_time(loop.now, loop.start_ms);
    if (t <= loop.gate) return demo_step_waiting;
    const int clock = host.song_clock();
    int quit = clock > demo_end_clock;
    TimelineActions actions;
    FrameSettings s = timeline_lookup(clock, t, loop.state, actions);
    timeline_run_actions(actions, s);
    int type, key;
    while (host.poll_event(&type, &key)) quit |= demo_handle_event(type, key, s);
    host.present(demo_picture_chain(s, t, loop.state, work_canvas, spare_canvas), t, clock);
    if (quit) return demo_step_ended;
    loop.gate = t + 1;
    return demo_step_frame;
}

double demo_ms_until_due(const DemoLoop &loop) {
    return loop.start_ms + (double)(loop.gate + 1) * demo_ms_per_unit - (double)loop.now;
}

void demo_run(const DemoHost &host, double start_ms) {
    DemoLoop loop = demo_loop_start(start_ms);
    for (;;) {
        const DemoStepResult r = demo_step(host, loop);
        if (r == demo_step_ended) break;
        if (r == demo_step_waiting && host.sleep_ms &&
            demo_ms_until_due(loop) >= demo_gate_sleep_margin_ms)
            host.sleep_ms(1);
    }
}

void demo_reset() {
    std::memset(work_canvas, 0, canvas_size);
    std::memset(spare_canvas, 0, canvas_size);
    clip_reset_state();
    for (int i = 0; i < clip_table_size; ++i) clip_rewind(clip_table[i]);
    fx_reset_state();
}
