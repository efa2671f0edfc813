// Whole-pixel scaling on desktops: the scale a user asks for, the screen it gives, the scaled copy.
#pragma once
#include <cstdint>

constexpr int scale_max = 16;
constexpr int scale_none = -1; // nothing asked (or nothing usable): the 320x240 mode as it is
constexpr int scale_auto = 0;  // the largest scale that fits
// A window asked for "auto" fills at most this share of the desktop.
constexpr int scale_auto_window_percent = 90;

// Reads the value of QUELLBRAND_SCALE: 1..16, "auto", or null for none. Anything else gives
// scale_none with *invalid set.
int demo_scale_request(const char *value, bool *invalid);

// The screen to open and where the picture goes on it: the 320x240 picture scaled scale times,
// its top-left corner at (left, top), black around it.
struct ScreenLayout {
    int width, height, scale, left, top;
};
// A window is the scaled picture; full screen takes the desktop's size (0 x 0 when unknown) with
// the picture at the largest scale that fits (at most the one asked for), centred.
ScreenLayout demo_screen_layout(int request, bool fullscreen, int desktop_width,
                                int desktop_height);

// Copies a Canvas through the grey palette into a 16-bit screen laid out as given: each pixel
// becomes a scale x scale block, each scaled row is written once and copied down whole.
void present_scaled_copy(uint8_t *pixels, int pitch, const ScreenLayout &layout,
                         const uint8_t *canvas);
