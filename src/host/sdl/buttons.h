// The handheld's buttons as the demo's keys: the GP2X and Wiz's /dev/GPIO, the Caanoo's
// "pollux-analog" input device.
#pragma once
#include <cstdint>

// Bits of the buttons mask, as /dev/GPIO gives it (a 32-bit word each read): the stick's eight
// directions (odd bits the diagonals), then the buttons.
constexpr uint32_t button_up = 1u << 0;
constexpr uint32_t button_up_left = 1u << 1;
constexpr uint32_t button_left = 1u << 2;
constexpr uint32_t button_down_left = 1u << 3;
constexpr uint32_t button_down = 1u << 4;
constexpr uint32_t button_down_right = 1u << 5;
constexpr uint32_t button_right = 1u << 6;
constexpr uint32_t button_up_right = 1u << 7;
constexpr uint32_t button_start = 1u << 8;
constexpr uint32_t button_select = 1u << 9;
constexpr uint32_t button_l = 1u << 10;
constexpr uint32_t button_r = 1u << 11;
constexpr uint32_t button_a = 1u << 12;
constexpr uint32_t button_b = 1u << 13;
constexpr uint32_t button_x = 1u << 14;
constexpr uint32_t button_y = 1u << 15;
constexpr uint32_t button_volume_up = 1u << 16;
constexpr uint32_t button_volume_down = 1u << 17;
constexpr uint32_t button_stick_press = 1u << 18;

// The demo's keys the buttons give: START ends, A restarts the clip, B reverses it, the stick
// up and down (diagonals too) change its speed, L, R, X and Y step the effects (F1 to F4).
constexpr int button_key_count = 9;
// Keys pressed between two masks, one key-down a key, in the order of the key table; returns
// how many were written to keys (at most button_key_count).
int buttons_pressed(uint32_t before, uint32_t now, int *keys);

// The Caanoo's input device: buttons as key codes, the stick as two axes of 0..255.
constexpr int evdev_key = 1;      // EV_KEY
constexpr int evdev_absolute = 3; // EV_ABS
constexpr int evdev_axis_x = 0;   // ABS_X
constexpr int evdev_axis_y = 1;   // ABS_Y
// The stick counts as pushed past these, a quarter of its travel from either end.
constexpr int stick_low = 64;
constexpr int stick_high = 192;
// One input event applied to the held mask, in /dev/GPIO's bits.
uint32_t buttons_from_event(uint32_t held, int type, int code, int value);

// The devices: opened once (a path may stand in for a device, for tests), read without waiting
// in the frame's event step. Without a device, nothing is read.
void buttons_open(const char *gpio_path, const char *event_path);
// The next key-down from the buttons, if any; reads the devices when none is waiting.
int buttons_poll(int *key);
void buttons_close();
