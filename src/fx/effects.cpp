// Warped texture, block glow, film damage, film strip and sprite stamp.
#include "fx/fx.h"
#include "fx/swar.h"

#include <cmath>
#include <cstring>

namespace {

// The sprite shake only needs 0 and 1 about equally often; a fixed generator keeps captures
// repeatable.
constexpr uint32_t shake_seed = 0x2545f491u;
uint32_t shake_state = shake_seed;

int shake_bit() {
    shake_state = shake_state * 1103515245u + 12345u;
    return (shake_state >> 16) & 1;
}

constexpr int blotch_area = 196 * canvas_width; // four blotch rows always fit below
constexpr uint8_t hole_white = 255;

} // namespace

void fx_reset_state() {
    fx_feedback_clear();
    fx_set_kernels(fx_kernels_native);
    shake_state = shake_seed;
}

void fx_warp_texture(uint8_t *canvas, int t, int threshold) {
    const int u_offset = (int)((2u * (unsigned)t) % 256u);
    const int m = (int)((std::sin(0.01 * t) + 1.0) * 100.0);
    const int v_offset = m % 256;
    const int offset = texture_side * v_offset + u_offset;
    if (threshold == 0) {
        for (int k = 0; k < canvas_size; ++k)
            canvas[k] = texture_image[(offset + warp_offsets[k]) & 0xffff];
    } else {
        // the cut as a lookup: one more load instead of a compare and a choice per pixel
        uint8_t cut[grey_levels];
        for (int v = 0; v < grey_levels; ++v) cut[v] = v > threshold ? 150 : 0;
        for (int k = 0; k < canvas_size; ++k)
            canvas[k] = cut[texture_image[(offset + warp_offsets[k]) & 0xffff]];
    }
}

void fx_block_glow(uint8_t *canvas, int n, int gain, int bias) {
    constexpr int sample_step = 3;
    // When the blocks tile the row, each row gets one saturating add of a row of block values.
    const bool tiled = canvas_width % n == 0 && canvas_width % 8 == 0;
    alignas(16) uint8_t pattern[canvas_width];
    for (int y0 = 0; y0 < canvas_height; y0 += n) {
        const int y1 = y0 + n < canvas_height ? y0 + n : canvas_height;
        for (int x0 = 0;; x0 += n) {
            int sum = 0, count = 0;
            for (int y = y0; y < y1; y += sample_step)
                for (int x = x0; x < x0 + n; x += sample_step) {
                    sum += canvas[y * canvas_width + x];
                    ++count;
                }
            // 64-bit so that any gain a long-running demo reaches stays defined
            const int64_t wide = ((int64_t)gain * sum / 255) / count + bias;
            const int add = wide > 255 ? 255 : (int)wide; // min(p + add, 255) needs no more
            if (tiled) {
                std::memset(pattern + x0, add, (size_t)n);
            } else {
                for (int y = y0; y < y1; ++y) {
                    uint8_t *p = canvas + y * canvas_width + x0;
                    for (int x = 0; x < n; ++x) {
                        const int v = p[x] + add;
                        p[x] = (uint8_t)(v > 255 ? 255 : v);
                    }
                }
            }
            if (x0 + n >= canvas_width) break;
        }
        if (tiled)
            for (int y = y0; y < y1; ++y)
                add_saturate_bytes(canvas + y * canvas_width, pattern, canvas_width);
    }
}

// 13 t t + 1000 + 500 sin t, truncated, modulo the blotch area. While the sum is exact in a double
// it is computed as written; beyond that (days of demo time) the same sum is taken modulo the area.
static int blotch_position(int t) {
    constexpr int64_t exact_limit = 25000000; // 13 t t + 1000 stays below 2^53
    const double wobble = 500.0 * std::sin((double)t);
    if (t <= exact_limit) {
        const int64_t tt = (int64_t)t * t;
        return (int)((int64_t)((double)(13 * tt + 1000) + wobble) % blotch_area);
    }
    const int64_t r = t % blotch_area;
    const int64_t base = (13 * (r * r % blotch_area) + 1000) % blotch_area;
    return (int)(((base + (int64_t)std::floor(wobble)) % blotch_area + blotch_area) % blotch_area);
}

void fx_film_damage(uint8_t *canvas, int t) {
    // 64-bit products keep every value below the 32-bit limit unchanged and stay defined past it.
    const int64_t tt = (int64_t)t * t;
    if ((t / 50) % 2 != 0 && t % 15 != 0) {
        const int x = (int)(std::sin(0.05 * t) * 320.0 + 320.0) % canvas_width;
        for (int y = 0; y < canvas_height; ++y) canvas[y * canvas_width + x] >>= 1;
    }
    const int count = (t / 20) % 10 + 10;
    for (int j = 0; j < count; ++j) {
        const int64_t n = tt + j * j + 19 * j;
        const int x = (int)(n % canvas_width);
        const int y = (int)((x + 17 * (int64_t)t + 10 * j) % canvas_height);
        canvas[y * canvas_width + x] >>= 1;
    }
    const int position = blotch_position(t);
    const uint8_t *mask = blotch_mask[t % 3 == 0 ? 0 : 1];
    for (int r = 0; r < blotch_side; ++r)
        for (int c = 0; c < blotch_side; ++c)
            if (mask[r * blotch_side + c]) canvas[position + canvas_width * r + c] = 0;
}

void fx_film_strip(uint8_t *dst, const uint8_t *src, float position) {
    constexpr int gate_left = 34, gate_width = 252, first_row = 9, last_row = 191;
    constexpr int frame_pitch = 200, hole_pitch = 20;
    constexpr int hole_left = 6, hole_right = 292, hole_width = 22;
    // The demo's positions stay near 40000. Truncation to int is defined below 2^31; a negative
    // position, or one beyond that, starts at row 0.
    constexpr float int_limit = 2147483648.0f;
    const float scaled = position * 200.0f;
    const int s = (scaled >= 0.0f && scaled < int_limit) ? (int)scaled % frame_pitch : 0;
    for (int i = 0; i < canvas_height; ++i) {
        const int k = s + i;
        const int r = k % frame_pitch;
        uint8_t *d = dst + i * canvas_width;
        std::memset(d, 0, canvas_width);
        if (first_row <= r && r <= last_row)
            std::memcpy(d + gate_left, src + r * canvas_width + gate_left, gate_width);
        if ((k / hole_pitch) % 2 != 0) {
            const int cut = (k % hole_pitch == 0 || k % hole_pitch == hole_pitch - 1) ? 1 : 0;
            std::memset(d + hole_left + cut, hole_white, hole_width - 2 * cut);
            std::memset(d + hole_right + cut, hole_white, hole_width - 2 * cut);
        }
    }
}

void fx_stamp_sprite_from(uint8_t *canvas, const uint8_t *sheet, const int32_t *rows, int x, int y,
                          int sprite, int t, int shake_y) {
    const int start = rows[sprite];
    const int height = rows[sprite + 1] - start;
    if (height <= 0) return;
    const int jx = (t >> 5) & 1;
    for (int k = 0; k < height; ++k) {
        const int cy = y + shake_y + k;
        if (cy < 0 || cy >= canvas_height) continue; // never outside the Canvas
        const uint8_t *a = sheet + (start + k) * sprite_sheet_width;
        uint8_t *row = canvas + cy * canvas_width;
        for (int j = 0; j < sprite_sheet_width; ++j) {
            const int cx = x + jx + j;
            if (a[j] != 0 && cx >= 0 && cx < canvas_width) row[cx] |= a[j + 1];
        }
    }
}

void fx_stamp_sprite(uint8_t *canvas, int x, int y, int sprite, int t) {
    if (sprite < 0 || sprite >= sprite_count) return;
    fx_stamp_sprite_from(canvas, sprite_sheet, sprite_row_table, x, y, sprite, t, shake_bit());
}
