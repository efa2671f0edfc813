// Flashes in a sequence of frames, counted the way photosensitivity analysers count general and
// red flashes: in every window of a third of the picture's width and height.
#pragma once
#include <cstdint>
#include <vector>

// A general flash is two opposing changes of the window's mean relative luminance of at least a
// tenth, the darker side below 0.8; a red flash two opposing changes of at least 20 in saturated
// red, (R - G - B) x 320 where R is at least 0.8 of R + G + B.
constexpr double flash_luminance_change = 0.10;
constexpr double flash_darker_below = 0.80;
constexpr double flash_red_change = 20;
// More than this many flashes in any one second is too many.
constexpr double flash_limit_per_second = 3;
// Windows start every this many pixels across and down.
constexpr int flash_window_step = 4;

// The sRGB colour a level is shown as: its relative luminance and saturated red.
double flash_relative_luminance(uint8_t r, uint8_t g, uint8_t b);
double flash_saturated_red(uint8_t r, uint8_t g, uint8_t b);

struct FlashReport {
    int frames = 0;
    double most_per_second = 0;     // general flashes in the worst one-second stretch of any window
    double most_red_per_second = 0; // red flashes likewise
    std::vector<int> seconds_over;  // whole seconds in which some stretch had more than the limit
};

// Frames of width x height levels; each level is shown with the luminance and red given (256 of
// each). Frames come in order of their time in milliseconds.
void flash_begin(int width, int height, const double *luminance_of_level,
                 const double *red_of_level);
void flash_frame(const uint8_t *levels, int time_ms);
FlashReport flash_report();
