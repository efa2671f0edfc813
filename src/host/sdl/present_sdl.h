// Presentation on an SDL screen: the grey palette through its pixel format, and the frame's flip.
#pragma once
#include <cstdint>

struct SDL_Surface;

// Entry i maps grey clamp(i * step - offset) through the screen's pixel format.
void make_grey_palette(SDL_Surface *screen, int step, int offset);
// Locks, copies the Canvas into rows 20..219, unlocks and flips.
void present_frame(SDL_Surface *screen, const uint8_t *canvas);
