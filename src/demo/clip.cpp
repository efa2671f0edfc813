// The clip renderer: advance a clip's position, pick two frames, cross-fade them into a Canvas.
#include "demo/clip.h"
#include "fx/canvas.h"
#include "fx/swar.h"

#include <cmath>
#include <cstring>

namespace {

float playback_speed = 1.0f;
float playback_direction = 1.0f;
int last_clip_ms = 0;

constexpr int bits_per_byte = 8;
uint8_t bit_expand_table[256 * bits_per_byte];
bool bit_expand_built = false;

void make_bit_expand_table() {
    for (int v = 0; v < 256; ++v)
        for (int j = 0; j < bits_per_byte; ++j)
            bit_expand_table[bits_per_byte * v + j] = (v >> j) & 1 ? clip_lit : 0;
    bit_expand_built = true;
}

// The eight pixels of one frame byte at one weight, as machine words in memory order.
constexpr int words_per_byte = bits_per_byte / swar_bytes;
swar_word eight_pixels[2][256][words_per_byte];

} // namespace

int clip_frame_for(float whole_position, int32_t frame_count) {
    float m = (float)(2.0 * std::fmod((double)whole_position, (double)frame_count));
    if (m >= frame_count) m = (float)((double)(frame_count + frame_count) - (double)m - 1.0);
    return (int)m;
}

void clip_render(uint8_t *canvas, ClipRecord &clip, int time_ms, int mode) {
    if (!bit_expand_built) make_bit_expand_table();

    // unsigned difference: defined even when a very long run wraps the millisecond count
    const int delta = (int)((unsigned)time_ms - (unsigned)last_clip_ms);
    last_clip_ms = time_ms;
    clip.position =
        (float)((double)playback_speed * (double)playback_direction * 0.025 * (double)(float)delta +
                (double)clip.position);
    if (clip.position < 0) {
        const double cycles = clip.frame_count * 1000.0;
        clip.position = (float)((double)clip.position + cycles);
        // A step longer than the cycles added (a long stall while running backwards) would leave
        // the position negative: whole cycles off, as many as it takes.
        if (clip.position < 0)
            clip.position = (float)(std::fmod((double)clip.position, cycles) + cycles);
    }

    const int frame_a = clip_frame_for(floorf(clip.position), clip.frame_count);
    const int frame_b = clip_frame_for(ceilf(clip.position), clip.frame_count);
    const float f = clip.position - floorf(clip.position);

    // Only the expanded values 0 and 254 are ever weighted.
    uint8_t fade_out[2] = {0, (uint8_t)(unsigned)(clip_lit * (1.0 - (double)f))};
    uint8_t fade_in[2] = {0, (uint8_t)(unsigned)((float)clip_lit * f)};
    for (int v = 0; v < 256; ++v) {
        uint8_t out[bits_per_byte], in[bits_per_byte];
        for (int j = 0; j < bits_per_byte; ++j) {
            const int lit = bit_expand_table[bits_per_byte * v + j] != 0;
            out[j] = fade_out[lit];
            in[j] = fade_in[lit];
        }
        std::memcpy(eight_pixels[0][v], out, sizeof out);
        std::memcpy(eight_pixels[1][v], in, sizeof in);
    }

    const uint8_t *a = clip.frames + (size_t)frame_a * clip_frame_bytes;
    const uint8_t *b = clip.frames + (size_t)frame_b * clip_frame_bytes;
    // Each byte of a sum is at most 254: no carry crosses into the next pixel.
    auto expand = [&](uint8_t *dst, int k) {
        for (int w = 0; w < words_per_byte; ++w)
            swar_store(dst + w * swar_bytes, eight_pixels[0][a[k]][w] + eight_pixels[1][b[k]][w]);
    };
    if (mode != clip_mode_add) {
        for (int k = 0; k < clip_frame_bytes; ++k) expand(canvas + k * bits_per_byte, k);
    } else {
        // a row of the clip, then one saturating add of it onto the Canvas row
        alignas(16) uint8_t row[canvas_width];
        for (int r = 0; r < canvas_height; ++r) {
            for (int c = 0; c < clip_row_bytes; ++c)
                expand(row + c * bits_per_byte, r * clip_row_bytes + c);
            add_saturate_bytes(canvas + r * canvas_width, row, canvas_width);
        }
    }
}

void clip_rewind(ClipRecord &clip) {
    clip.position = 0.0f;
}

void clip_flip_direction() {
    playback_direction = -playback_direction;
}

void clip_set_speed(float speed) {
    playback_speed = speed;
}

float clip_direction() {
    return playback_direction;
}

void clip_reset_state() {
    playback_speed = 1.0f;
    playback_direction = 1.0f;
    last_clip_ms = 0;
}
