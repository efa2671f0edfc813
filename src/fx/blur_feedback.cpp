// Vertical box blur over the division table, and the feedback (video echo) effect.
#include "fx/fx.h"

#include <algorithm>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <cmath>
#include <cstring>

namespace {
alignas(16) uint8_t feedback_buffer[canvas_size];
constexpr int fixed_one = 256; // 8.8 fixed point
constexpr int max_blur_columns = 1024;
// The blur adds the row entering its window and takes off the one leaving it, up to 60 rows
// earlier: in strips this narrow that window (60 x 160 bytes) stays in a 16 KB data cache.
constexpr int scalar_strip_columns = 160;
static_assert(scalar_strip_columns <= max_blur_columns, "a strip has one sum a column");
FxKernels kernels = fx_kernels_native;
} // namespace

void fx_set_kernels(FxKernels k) {
    kernels = k;
}

namespace {

// For widths 2..256 the quotient v / width of a grey level is (v x m) >> 16 for m rounded up from
// 65536 / width; checked against the division table, so the sums are the same either way.
bool reciprocal(int width, uint16_t &m) {
    if (width < 2 || width > 256) return false;
    m = (uint16_t)((65536 + width - 1) / width);
    const int32_t *T = division_table + width * grey_levels;
    for (int v = 0; v < grey_levels; ++v)
        if ((int32_t)(((uint32_t)v * m) >> 16) != T[v]) return false;
    return true;
}

inline uint16_t quotient(uint8_t v, uint16_t m) {
    return (uint16_t)(((uint32_t)v * m) >> 16);
}

// One source row into or out of the running sums, by the reciprocal or by the table.
struct BlurRow {
    uint16_t *sums;
    int columns;
    uint16_t m;
    const int32_t *table;
    void add(const uint8_t *p) const {
        if (table)
            for (int c = 0; c < columns; ++c) sums[c] = (uint16_t)(sums[c] + table[p[c]]);
        else
            for (int c = 0; c < columns; ++c) sums[c] = (uint16_t)(sums[c] + quotient(p[c], m));
    }
    void sub(const uint8_t *p) const {
        if (table)
            for (int c = 0; c < columns; ++c) sums[c] = (uint16_t)(sums[c] - table[p[c]]);
        else
            for (int c = 0; c < columns; ++c) sums[c] = (uint16_t)(sums[c] - quotient(p[c], m));
    }
    // add a row, take the leaving one out, write the sums: one pass
    void slide(const uint8_t *lead, const uint8_t *leave, uint8_t *p) const {
        if (table)
            for (int c = 0; c < columns; ++c) {
                sums[c] = (uint16_t)(sums[c] + table[lead[c]] - table[leave[c]]);
                p[c] = (uint8_t)sums[c];
            }
        else
            for (int c = 0; c < columns; ++c) {
                sums[c] = (uint16_t)(sums[c] + quotient(lead[c], m) - quotient(leave[c], m));
                p[c] = (uint8_t)sums[c];
            }
    }
    void put(uint8_t *p) const {
        for (int c = 0; c < columns; ++c) p[c] = (uint8_t)sums[c];
    }
};

// The steps k in [0, n) at which x + k dx, read as a source column (x >> 8), lies on the picture;
// x moves one way only, so they form one span [*first, *last).
void column_span(int32_t x, int32_t dx, int n, int *first, int *last) {
    constexpr int32_t end = canvas_width * fixed_one;
    auto on = [&](int k) {
        const int32_t v = x + k * dx;
        return v >= 0 && v < end;
    };
    int lo = 0, hi = n;
    if (dx > 0) {
        if (x < 0) lo = (int)std::min<int64_t>(n, (-(int64_t)x + dx - 1) / dx);
        hi = (int)std::min<int64_t>(n, std::max<int64_t>(0, ((int64_t)end - x + dx - 1) / dx));
    } else if (dx < 0) {
        if (x >= end) lo = (int)std::min<int64_t>(n, ((int64_t)x - end + 1 + (-dx) - 1) / -dx);
        hi = x < 0 ? 0 : (int)std::min<int64_t>(n, (int64_t)x / -dx + 1);
    } else if (!on(0)) {
        hi = 0;
    }
    if (hi < lo) hi = lo;
    *first = lo;
    *last = hi;
}

} // namespace

void fx_vertical_blur(const uint8_t *src, uint8_t *dst, int src_x, int src_y, int dst_x, int dst_y,
                      int columns, int rows, int stride, int width) {
    // Each column is an independent running sum; walking the rows with one sum per column gives
    // the same values as walking the columns, reads memory in order and vectorises.
    const bool simd = kernels == fx_kernels_simd;
    const int strip = simd ? max_blur_columns : scalar_strip_columns;
    if (columns > strip) {
        fx_vertical_blur(src, dst, src_x + strip, src_y, dst_x + strip, dst_y, columns - strip,
                         rows, stride, width);
        columns = strip;
    }
    const int32_t *T = division_table + width * grey_levels;
    const int h = width / 2;
    const uint8_t *s = src + src_y * stride + src_x;
    uint8_t *d = dst + dst_y * stride + dst_x;
    uint16_t m = 0;
    const bool fast = simd && reciprocal(width, m); // vectorises; without SIMD the table is cheaper
    // sums never pass 2 x 255 between an add and its subtract
    uint16_t sums[max_blur_columns] = {};
    const BlurRow row{sums, columns, m, fast ? nullptr : T};
    int in = 0, out = 0;
    for (; in < h; ++in) row.add(s + in * stride); // prime
    for (int i = 0; i < width - h; ++i) {          // top edge
        row.add(s + in++ * stride);
        row.put(d + out++ * stride);
    }
    for (; in < rows; ++in) // middle
        row.slide(s + in * stride, s + (in - width) * stride, d + out++ * stride);
    for (; out < rows; ++in) { // bottom edge
        row.sub(s + (in - width) * stride);
        row.put(d + out++ * stride);
    }
}

void fx_rotozoom(uint8_t *dst, const uint8_t *src, int columns, int rows, int zoom_x, int zoom_y,
                 int angle) {
    if (rows <= 0) return;
    const double theta = angle * M_PI / 180.0;
    const int32_t dxx = (int32_t)(zoom_x * std::cos(theta));
    const int32_t dxy = (int32_t)(zoom_x * std::sin(theta));
    const int32_t dyx = (int32_t)(zoom_y * std::sin(-theta));
    const int32_t dyy = (int32_t)(zoom_y * std::cos(theta));
    int32_t row_x = 160 * fixed_one - 160 * dxx - 120 * dxy;
    int32_t row_y = 120 * fixed_one - 160 * dyx - 120 * dyy;
    constexpr int32_t y_limit = canvas_height * fixed_one;
    if (dyx == 0 && dxy == 0 && columns <= max_blur_columns) {
        // Level rows: every row reads the same source columns.
        int first, last;
        column_span(row_x, dxx, columns, &first, &last);
        uint16_t column[max_blur_columns];
        for (int c = first; c < last; ++c) column[c] = (uint16_t)((row_x + c * dxx) >> 8);
        for (int r = 0; r < rows; ++r, row_y += dyy) {
            if (!(0 < row_y && row_y < y_limit)) continue;
            const uint8_t *s = src + row_offset_table[row_y >> 8];
            uint8_t *d = dst + r * columns;
            for (int c = first; c < last; ++c) d[c] = s[column[c]];
        }
        return;
    }
    for (int r = 0; r < rows; ++r) {
        int32_t x = row_x, y = row_y;
        uint8_t *d = dst + r * columns;
        for (int c = 0; c < columns;) {
            // a run of columns that stay on one source row
            int run = columns - c;
            if (dyx > 0) run = std::min(run, (((y >> 8) + 1) * fixed_one - 1 - y) / dyx + 1);
            if (dyx < 0) run = std::min(run, (y - (y >> 8) * fixed_one) / -dyx + 1);
            // Positions off the source picture leave the destination pixel as it was.
            const int32_t sy = y >> 8;
            if (sy >= 0 && sy < canvas_height) {
                const uint8_t *s = src + row_offset_table[sy];
                int first, last;
                column_span(x, dxx, run, &first, &last);
                int32_t xs = x + first * dxx;
                if (sy != 0) {
                    for (int k = first; k < last; ++k, xs += dxx) d[c + k] = s[xs >> 8];
                } else {
                    // on source row 0 the single position y == 0 itself is left out
                    int32_t ys = y + first * dyx;
                    for (int k = first; k < last; ++k, xs += dxx, ys += dyx)
                        if (ys != 0) d[c + k] = s[xs >> 8];
                }
            }
            x += run * dxx;
            y += run * dyx;
            c += run;
        }
        row_x += dxy;
        row_y += dyy;
    }
}

void fx_feedback(uint8_t *canvas, int zoom, int angle) {
    // without SIMD, two lookups a pixel are cheaper than the multiplies
    const bool by_multiply = kernels == fx_kernels_simd && fx_blend_by_multiply;
    if (by_multiply) {
        // c / 5 + (f x 90) / 100, capped: the blend table's values, computed 16 bits at a time
        int k = 0;
#if defined(__SSE2__)
        const __m128i fifth = _mm_set1_epi16((short)13108),
                      nine_tenths = _mm_set1_epi16((short)58983);
        const __m128i zero = _mm_setzero_si128();
        for (; k + 16 <= canvas_size; k += 16) {
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i *>(canvas + k));
            const __m128i f =
                _mm_loadu_si128(reinterpret_cast<const __m128i *>(feedback_buffer + k));
            const __m128i lo =
                _mm_add_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(c, zero), fifth),
                              _mm_mulhi_epu16(_mm_unpacklo_epi8(f, zero), nine_tenths));
            const __m128i hi =
                _mm_add_epi16(_mm_mulhi_epu16(_mm_unpackhi_epi8(c, zero), fifth),
                              _mm_mulhi_epu16(_mm_unpackhi_epi8(f, zero), nine_tenths));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(canvas + k), _mm_packus_epi16(lo, hi));
        }
#endif
        for (; k < canvas_size; ++k) {
            const uint16_t v =
                (uint16_t)((uint16_t)(((uint32_t)canvas[k] * 13108u) >> 16) +
                           (uint16_t)(((uint32_t)feedback_buffer[k] * 58983u) >> 16));
            canvas[k] = (uint8_t)(v > 255 ? 255 : v);
        }
    } else {
        for (int k = 0; k < canvas_size; ++k) {
            const int v = blend_canvas_term[canvas[k]] + blend_feedback_term[feedback_buffer[k]];
            canvas[k] = (uint8_t)(v > 255 ? 255 : v);
        }
    }
    fx_rotozoom(feedback_buffer, canvas, canvas_width, canvas_height, zoom, zoom, angle);
}

void fx_feedback_clear() {
    std::memset(feedback_buffer, 0, sizeof feedback_buffer);
}
