// Presentation on an SDL screen.
#include "host/sdl/present_sdl.h"
#include "demo/present.h"

#include <SDL.h>

namespace {
const SDL_PixelFormat *screen_format = nullptr;
uint16_t map_screen(int r, int g, int b) {
    return (uint16_t)SDL_MapRGB(const_cast<SDL_PixelFormat *>(screen_format), (Uint8)r, (Uint8)g,
                                (Uint8)b);
}
} // namespace

void make_grey_palette(SDL_Surface *screen, int step, int offset) {
    screen_format = screen->format;
    make_grey_palette_mapped(step, offset, map_screen);
}

void present_frame_grey(SDL_Surface *screen, const uint8_t *canvas) {
    SDL_LockSurface(screen);
    if (screen->format->BitsPerPixel == 24)
        present_copy_grey24((uint8_t *)screen->pixels, screen->pitch, canvas);
    else
        present_copy_grey32((uint8_t *)screen->pixels, screen->pitch, canvas);
    SDL_UnlockSurface(screen);
    SDL_Flip(screen);
}

void present_frame(SDL_Surface *screen, const uint8_t *canvas) {
    SDL_LockSurface(screen);
    present_copy((uint8_t *)screen->pixels, screen->pitch, canvas);
    SDL_UnlockSurface(screen);
    SDL_Flip(screen);
}
