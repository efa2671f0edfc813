// Presentation: the grey palette and the copy of a Canvas into the 16-bit screen.
#pragma once
#include <cstdint>

constexpr int screen_width = 320;
constexpr int screen_height = 240;
constexpr int screen_bits = 16;
constexpr int screen_canvas_top = 20; // black bands above and below the Canvas

extern uint16_t grey_palette[256];

// Entry i maps grey clamp(i * step - offset) through a pixel format: map_rgb gives a screen pixel
// for 8-bit red, green and blue (the SDL front end's screen format).
void make_grey_palette_mapped(int step, int offset, uint16_t (*map_rgb)(int r, int g, int b));
// The same palette for a 5-6-5 screen: for the tools and the browser, whose SDL maps every colour
// as 32-bit.
void make_grey_palette_565(int step, int offset);
// A 5-6-5 pixel as 8 bits a channel, each channel's high bits repeated into its low bits:
// 0xRRGGBB. The colour a 16-bit screen shows, for pictures and the browser's canvas.
uint32_t present_rgb888(uint16_t pixel);
// Copies a Canvas through the palette into screen rows 20..219 of 16-bit pixels whose rows are
// pitch bytes apart.
void present_copy(uint8_t *pixels, int pitch, const uint8_t *canvas);
// The same copy for a screen of 24-bit pixels (3 bytes each) or 32-bit ones, each grey level
// written as that grey: equal colour bytes, a 32-bit pixel's fourth byte 0. Every screen pixel
// is written once, in order, in whole aligned 32-bit words (pixels and pitch multiples of 4):
// a handheld's framebuffer is uncached, and each store waits for the bus.
void present_copy_grey24(uint8_t *pixels, int pitch, const uint8_t *canvas);
void present_copy_grey32(uint8_t *pixels, int pitch, const uint8_t *canvas);
