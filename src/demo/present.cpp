// Presentation: grey palette through the screen format, Canvas copy into the middle 200 rows.
#include "demo/present.h"
#include "fx/canvas.h"

#include <SDL.h>
#include <cstring>

uint16_t grey_palette[256];

void make_grey_palette(SDL_Surface *screen, int step, int offset) {
    int v = -offset;
    for (int i = 0; i < 256; ++i) {
        const int g = v > 255 ? 255 : (v < 0 ? 0 : v);
        grey_palette[i] = (uint16_t)SDL_MapRGB(screen->format, (Uint8)g, (Uint8)g, (Uint8)g);
        v += step;
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

void present_frame(SDL_Surface *screen, const uint8_t *canvas) {
    SDL_LockSurface(screen);
    present_copy((uint8_t *)screen->pixels, screen->pitch, canvas);
    SDL_UnlockSurface(screen);
    SDL_Flip(screen);
}
