// Vertical box blur over the division table, and the feedback (video echo) effect.
#include "fx/fx.h"

#include <cmath>
#include <cstring>

namespace {
uint8_t feedback_buffer[canvas_size];
constexpr int fixed_one = 256; // 8.8 fixed point
constexpr int max_blur_columns = 1024;
} // namespace

void fx_vertical_blur(const uint8_t *src, uint8_t *dst, int src_x, int src_y, int dst_x, int dst_y,
                      int columns, int rows, int stride, int width)
{
    // Each column is an independent running sum; walking the rows with one sum per column gives
    // the same values as walking the columns, and reads memory in order.
    const int32_t *T = division_table + width * grey_levels;
    const int h = width / 2;
    if (columns > max_blur_columns) {
        fx_vertical_blur(src, dst, src_x + max_blur_columns, src_y, dst_x + max_blur_columns, dst_y,
                         columns - max_blur_columns, rows, stride, width);
        columns = max_blur_columns;
    }
    int32_t sums[max_blur_columns];
    for (int c = 0; c < columns; ++c) sums[c] = 0;
    const uint8_t *s = src + src_y * stride + src_x;
    uint8_t *d = dst + dst_y * stride + dst_x;
    auto add = [&](int row) {
        const uint8_t *p = s + row * stride;
        for (int c = 0; c < columns; ++c) sums[c] += T[p[c]];
    };
    auto sub = [&](int row) {
        const uint8_t *p = s + row * stride;
        for (int c = 0; c < columns; ++c) sums[c] -= T[p[c]];
    };
    auto put = [&](int row) {
        uint8_t *p = d + row * stride;
        for (int c = 0; c < columns; ++c) p[c] = (uint8_t)sums[c];
    };
    int in = 0, out = 0;
    for (; in < h; ++in) add(in);                   // prime
    for (int i = 0; i < width - h; ++i) {            // top edge
        add(in++);
        put(out++);
    }
    for (; in < rows; ++in) {                        // middle
        add(in);
        sub(in - width);
        put(out++);
    }
    for (; out < rows; ++in) {                       // bottom edge
        sub(in - width);
        put(out++);
    }
}

void fx_rotozoom(uint8_t *dst, const uint8_t *src, int columns, int rows, int zoom_x, int zoom_y,
                 int angle)
{
    if (rows <= 0) return;
    const double theta = angle * M_PI / 180.0;
    const int32_t dxx = (int32_t)(zoom_x * std::cos(theta));
    const int32_t dxy = (int32_t)(zoom_x * std::sin(theta));
    const int32_t dyx = (int32_t)(zoom_y * std::sin(-theta));
    const int32_t dyy = (int32_t)(zoom_y * std::cos(theta));
    int32_t row_x = 160 * fixed_one - 160 * dxx - 120 * dxy;
    int32_t row_y = 120 * fixed_one - 160 * dyx - 120 * dyy;
    constexpr int32_t y_limit = canvas_height * fixed_one;
    for (int r = 0; r < rows; ++r) {
        int32_t x = row_x, y = row_y;
        uint8_t *d = dst + r * columns;
        for (int c = 0; c < columns; ++c) {
            const int32_t sx = x >> 8;
            // Positions off the source picture leave the destination pixel as it was.
            if (0 < y && y < y_limit && sx >= 0 && sx < canvas_width)
                d[c] = src[row_offset_table[y >> 8] + sx];
            x += dxx;
            y += dyx;
        }
        row_x += dxy;
        row_y += dyy;
    }
}

void fx_feedback(uint8_t *canvas, int zoom, int angle)
{
    for (int k = 0; k < canvas_size; ++k)
        canvas[k] = blend_table[feedback_buffer[k] * 256 + canvas[k]];
    fx_rotozoom(feedback_buffer, canvas, canvas_width, canvas_height, zoom, zoom, angle);
}

void fx_feedback_clear() { std::memset(feedback_buffer, 0, sizeof feedback_buffer); }

const uint8_t *fx_feedback_memory() { return feedback_buffer; }
