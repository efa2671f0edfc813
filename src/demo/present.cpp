// Presentation: grey palette through the screen format, Canvas copy into the middle 200 rows.
#include "demo/present.h"
#include "fx/canvas.h"

#include <cstddef>
#include <cstring>

uint16_t grey_palette[256];

namespace {
constexpr int grey_max = 255;
int clamp_grey(int v) {
    return v > grey_max ? grey_max : (v < 0 ? 0 : v);
}
} // namespace

void make_grey_palette_mapped(int step, int offset, uint16_t (*map_rgb)(int r, int g, int b)) {
    int v = -offset;
    for (int i = 0; i < 256; ++i) {
        const int g = clamp_grey(v);
        grey_palette[i] = map_rgb(g, g, g);
        v += step;
    }
}

namespace {
uint16_t map_565(int r, int g, int b) {
    return (uint16_t)((r >> 3) << 11 | (g >> 2) << 5 | (b >> 3));
}
} // namespace

void make_grey_palette_565(int step, int offset) {
    make_grey_palette_mapped(step, offset, map_565);
}

uint32_t present_rgb888(uint16_t pixel) {
    const uint32_t r = (pixel >> 11) & 31, g = (pixel >> 5) & 63, b = pixel & 31;
    return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

namespace {
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "pixels packed into little-endian words");
constexpr uint32_t grey_bytes = 0x010101; // a grey level in each colour byte
inline void store_word(uint8_t *p, uint32_t v) {
    std::memcpy(__builtin_assume_aligned(p, 4), &v, sizeof v);
}
} // namespace

void present_copy_grey24(uint8_t *pixels, int pitch, const uint8_t *canvas) {
    for (int y = 0; y < canvas_height; ++y) {
        const uint8_t *g = canvas + y * canvas_width;
        uint8_t *row = pixels + (size_t)(y + screen_canvas_top) * pitch;
        // four pixels, twelve bytes, three words
        for (int x = 0; x < canvas_width; x += 4, g += 4, row += 12) {
            const uint32_t a = g[0], b = g[1], c = g[2], d = g[3];
            store_word(row, a * grey_bytes | b << 24);
            store_word(row + 4, b * 0x0101 | c * 0x01010000);
            store_word(row + 8, c | d * 0x01010100);
        }
    }
}

void present_copy_grey32(uint8_t *pixels, int pitch, const uint8_t *canvas) {
    for (int y = 0; y < canvas_height; ++y) {
        const uint8_t *g = canvas + y * canvas_width;
        uint8_t *row = pixels + (size_t)(y + screen_canvas_top) * pitch;
        for (int x = 0; x < canvas_width; ++x) store_word(row + 4 * x, g[x] * grey_bytes);
    }
}

void present_copy(uint8_t *pixels, int pitch, const uint8_t *canvas) {
    for (int y = 0; y < canvas_height; ++y) {
        uint16_t row[canvas_width];
        const uint8_t *src = canvas + y * canvas_width;
        for (int x = 0; x < canvas_width; ++x) row[x] = grey_palette[src[x]];
        std::memcpy(pixels + (size_t)(y + screen_canvas_top) * pitch, row, sizeof row);
    }
}
