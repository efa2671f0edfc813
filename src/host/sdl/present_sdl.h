// Presentation on an SDL screen: the grey palette through its pixel format, and the frame's flip.
#pragma once
#include <cstdint>

struct SDL_Surface;

// Entry i maps grey clamp(i * step - offset) through the screen's pixel format.
void make_grey_palette(SDL_Surface *screen, int step, int offset);
// Locks, copies the Canvas into rows 20..219, unlocks and flips.
void present_frame(SDL_Surface *screen, const uint8_t *canvas);
// The same on a screen of 24 or 32 bits a pixel (a handheld's framebuffer at its own depth), each
// grey level written as that grey.
void present_frame_grey(SDL_Surface *screen, const uint8_t *canvas);
