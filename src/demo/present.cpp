// Presentation: grey palette through the screen format, Canvas copy into the middle 200 rows.
#include "demo/present.h"
#include "fx/canvas.h"

#include <SDL.h>
#include <cstring>

uint16_t grey_palette[256];

namespace {
constexpr int grey_max = 255;
int clamp_grey(int v) {
    return v > grey_max ? grey_max : (v < 0 ? 0 : v);
}
} // namespace

void make_grey_palette(SDL_Surface *screen, int step, int offset) {
    int v = -offset;
    for (int i = 0; i < 256; ++i) {
        const int g = clamp_grey(v);
        grey_palette[i] = (uint16_t)SDL_MapRGB(screen->format, (Uint8)g, (Uint8)g, (Uint8)g);
        v += step;
    }
}

void make_grey_palette_565(int step, int offset) {
    int v = -offset;
    for (int i = 0; i < 256; ++i) {
        const int g = clamp_grey(v);
        grey_palette[i] = (uint16_t)((g >> 3) << 11 | (g >> 2) << 5 | (g >> 3));
        v += step;
    }
}

uint32_t present_rgb888(uint16_t pixel) {
    const uint32_t r = (pixel >> 11) & 31, g = (pixel >> 5) & 63, b = pixel & 31;
    return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

void present_copy(uint8_t *pixels, int pitch, const uint8_t *canvas) {
    for (int y = 0; y < canvas_height; ++y) {
        uint16_t row[canvas_width];
        const uint8_t *src = canvas + y * canvas_width;
        for (int x = 0; x < canvas_width; ++x) row[x] = grey_palette[src[x]];
        std::memcpy(pixels + (size_t)(y + screen_canvas_top) * pitch, row, sizeof row);
    }
}

void present_frame(SDL_Surface *screen, const uint8_t *canvas) {
    SDL_LockSurface(screen);
    present_copy((uint8_t *)screen->pixels, screen->pitch, canvas);
    SDL_UnlockSurface(screen);
    SDL_Flip(screen);
}
