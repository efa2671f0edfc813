// The handheld's buttons as the demo's keys.
#include "host/sdl/buttons.h"
#include "demo/frame.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

struct ButtonKey {
    uint32_t bits; // any of them held holds the key
    int key;
};
constexpr ButtonKey button_keys[button_key_count] = {
    {button_start, key_escape},
    {button_a, key_return},
    {button_b, key_space},
    {button_up | button_up_left | button_up_right, key_up},
    {button_down | button_down_left | button_down_right, key_down},
    {button_l, key_f1},
    {button_r, key_f2},
    {button_x, key_f3},
    {button_y, key_f4},
};

// The Caanoo's buttons by key code, from 0x120 (BTN_TRIGGER, its A) on.
constexpr int caanoo_first_code = 0x120;
constexpr uint32_t caanoo_buttons[] = {
    button_a,
    button_x,
    button_b,
    button_y,
    button_l,
    button_r,
    button_start,  // Home
    0,             // Hold
    button_select, // I
    0,             // II
    button_stick_press,
};
constexpr int caanoo_button_count = (int)(sizeof caanoo_buttons / sizeof caanoo_buttons[0]);

uint32_t set_bits(uint32_t held, uint32_t bits, bool on) {
    return on ? held | bits : held & ~bits;
}

} // namespace

int buttons_pressed(uint32_t before, uint32_t now, int *keys) {
    int n = 0;
    for (const ButtonKey &b : button_keys)
        if (!(before & b.bits) && (now & b.bits)) keys[n++] = b.key;
    return n;
}

uint32_t buttons_from_event(uint32_t held, int type, int code, int value) {
    if (type == evdev_key) {
        const int i = code - caanoo_first_code;
        if (i >= 0 && i < caanoo_button_count) held = set_bits(held, caanoo_buttons[i], value != 0);
    } else if (type == evdev_absolute && (code == evdev_axis_x || code == evdev_axis_y)) {
        const bool x = code == evdev_axis_x;
        held = set_bits(held, x ? button_left : button_up, value < stick_low);
        held = set_bits(held, x ? button_right : button_down, value >= stick_high);
    }
    return held;
}

namespace {

int gpio_fd = -1, event_fd = -1;
uint32_t gpio_held = 0, event_held = 0, held = 0;
int waiting[button_key_count];
int waiting_count = 0, waiting_next = 0;

constexpr char caanoo_device_name[] = "pollux-analog";
// An input event as the kernel writes it: its time in two longs (whatever the C library's
// time_t), then type, code and value.
struct InputEvent {
    long seconds, microseconds;
    uint16_t type, code;
    int32_t value;
};
constexpr int event_devices = 32;

// The Caanoo's stick and buttons, found by name among the input devices.
int open_caanoo_device() {
    for (int i = 0; i < event_devices; ++i) {
        char path[32];
        std::snprintf(path, sizeof path, "/dev/input/event%d", i);
        const int fd = open(path, O_RDONLY | O_NONBLOCK);
        if (fd < 0) continue;
        char name[64] = "";
        if (ioctl(fd, EVIOCGNAME(sizeof name - 1), name) >= 0 &&
            !std::strcmp(name, caanoo_device_name))
            return fd;
        close(fd);
    }
    return -1;
}

void read_devices() {
    // /dev/GPIO answers every read with the buttons held now: one read a poll (a stand-in gives
    // its masks one a poll, as they were written)
    uint32_t mask;
    if (gpio_fd >= 0 && read(gpio_fd, &mask, sizeof mask) == (ssize_t)sizeof mask) gpio_held = mask;
    InputEvent e;
    while (event_fd >= 0 && read(event_fd, &e, sizeof e) == (ssize_t)sizeof e)
        event_held = buttons_from_event(event_held, e.type, e.code, e.value);
    const uint32_t now = gpio_held | event_held;
    waiting_count = buttons_pressed(held, now, waiting);
    waiting_next = 0;
    held = now;
}

} // namespace

void buttons_open(const char *gpio_path, const char *event_path) {
    buttons_close();
    gpio_fd = open(gpio_path ? gpio_path : "/dev/GPIO", O_RDONLY | O_NONBLOCK);
    event_fd = event_path ? open(event_path, O_RDONLY | O_NONBLOCK) : open_caanoo_device();
}

int buttons_poll(int *key) {
    if (waiting_next == waiting_count) read_devices();
    if (waiting_next == waiting_count) return 0;
    *key = waiting[waiting_next++];
    return 1;
}

void buttons_close() {
    if (gpio_fd >= 0) close(gpio_fd);
    if (event_fd >= 0) close(event_fd);
    gpio_fd = event_fd = -1;
    gpio_held = event_held = held = 0;
    waiting_count = waiting_next = 0;
}
