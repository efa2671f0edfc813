// The handheld's buttons as keys: masks from /dev/GPIO, events from the Caanoo's input device,
// and both read through stand-ins for the devices.
#include "demo/frame.h"
#include "host/sdl/buttons.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

std::vector<int> pressed(uint32_t before, uint32_t now) {
    int keys[button_key_count];
    const int n = buttons_pressed(before, now, keys);
    return std::vector<int>(keys, keys + n);
}

TEST(Buttons, MasksGiveOneKeyDownAPress) {
    const struct {
        uint32_t before, now;
        std::vector<int> keys;
    } cases[] = {
        {0, button_start, {key_escape}},
        {0, button_a, {key_return}},
        {0, button_b, {key_space}},
        {0, button_l | button_r | button_x | button_y, {key_f1, key_f2, key_f3, key_f4}},
        {0, button_start | button_a | button_up, {key_escape, key_return, key_up}},
        {button_a, button_a, {}},                     // held: no repeat
        {button_a, button_a | button_b, {key_space}}, // another press while one is held
        {button_a, 0, {}},                            // a release gives nothing
        {0, button_up_left, {key_up}},                // diagonals count for up and down
        {0, button_up_right, {key_up}},
        {0, button_down_left, {key_down}},
        {0, button_down_right, {key_down}},
        {button_up, button_up_right, {}}, // rolling along the stick's top: still up
        {button_up_left, button_left, {}},
        {button_left, button_down_left, {key_down}},
        {0, button_left | button_right, {}},
        {0, button_select | button_volume_up | button_volume_down | button_stick_press, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(pressed(c.before, c.now), c.keys) << std::hex << c.before << " -> " << c.now;
}

TEST(Buttons, CaanooEventsUpdateTheMask) {
    struct Step {
        int type, code, value;
        uint32_t held;
    };
    const Step steps[] = {
        {evdev_key, 0x120, 1, button_a},              // A down
        {0, 0, 0, button_a},                          // a report's end: nothing
        {evdev_key, 0x120, 0, 0},                     // A up
        {evdev_key, 0x126, 1, button_start},          // Home
        {evdev_key, 0x126, 0, 0},                     //
        {evdev_key, 0x121, 1, button_x},              // X, then Y with it
        {evdev_key, 0x123, 1, button_x | button_y},   //
        {evdev_key, 0x121, 0, button_y},              //
        {evdev_key, 0x123, 0, 0},                     //
        {evdev_key, 0x11f, 1, 0},                     // outside the buttons
        {evdev_key, 0x12b, 1, 0},                     //
        {evdev_absolute, evdev_axis_y, 128, 0},       // the stick at rest
        {evdev_absolute, evdev_axis_y, stick_low, 0}, // not yet past the quarter
        {evdev_absolute, evdev_axis_y, stick_low - 1, button_up},
        {evdev_absolute, evdev_axis_y, 0, button_up},      //
        {evdev_absolute, evdev_axis_y, stick_high - 1, 0}, //
        {evdev_absolute, evdev_axis_y, stick_high, button_down},
        {evdev_absolute, evdev_axis_x, 255, button_down | button_right},
        {evdev_absolute, evdev_axis_x, 10, button_down | button_left},
        {evdev_absolute, evdev_axis_y, 130, button_left}, //
        {evdev_absolute, 2, 255, button_left},            // another axis
        {evdev_absolute, evdev_axis_x, 128, 0},
    };
    uint32_t held = 0;
    for (const Step &s : steps) {
        held = buttons_from_event(held, s.type, s.code, s.value);
        EXPECT_EQ(held, s.held) << s.type << " " << std::hex << s.code << " " << std::dec
                                << s.value;
    }
}

// The devices' stand-ins: FIFOs written as the kernel writes the devices.
struct Fifos : testing::Test {
    std::string gpio, events;
    int gpio_writer = -1, events_writer = -1;
    void SetUp() override {
        const std::string base = testing::TempDir() + "buttons-" + std::to_string(getpid());
        gpio = base + "-gpio", events = base + "-events";
        ASSERT_EQ(mkfifo(gpio.c_str(), 0600), 0);
        ASSERT_EQ(mkfifo(events.c_str(), 0600), 0);
        buttons_open(gpio.c_str(), events.c_str());
        gpio_writer = open(gpio.c_str(), O_WRONLY | O_NONBLOCK);
        events_writer = open(events.c_str(), O_WRONLY | O_NONBLOCK);
        ASSERT_GE(gpio_writer, 0);
        ASSERT_GE(events_writer, 0);
    }
    void TearDown() override {
        buttons_close();
        close(gpio_writer);
        close(events_writer);
        std::remove(gpio.c_str());
        std::remove(events.c_str());
    }
    void mask(uint32_t m) { ASSERT_EQ(write(gpio_writer, &m, sizeof m), (ssize_t)sizeof m); }
    void event(int type, int code, int value) {
        struct {
            long seconds, microseconds;
            uint16_t type, code;
            int32_t value;
        } e = {0, 0, (uint16_t)type, (uint16_t)code, value};
        ASSERT_EQ(write(events_writer, &e, sizeof e), (ssize_t)sizeof e);
    }
    std::vector<int> poll() {
        std::vector<int> keys;
        int key;
        while (buttons_poll(&key)) keys.push_back(key);
        return keys;
    }
};

TEST_F(Fifos, EachPressOnceBothDevices) {
    EXPECT_EQ(poll(), std::vector<int>{});
    mask(button_a);
    EXPECT_EQ(poll(), std::vector<int>{key_return});
    EXPECT_EQ(poll(), std::vector<int>{}); // nothing new read: A is still held
    mask(button_a);
    EXPECT_EQ(poll(), std::vector<int>{}); // read again, still held
    mask(button_a | button_l);
    EXPECT_EQ(poll(), std::vector<int>{key_f1});
    event(evdev_key, 0x122, 1); // the Caanoo's B, while A and L are held on the other
    EXPECT_EQ(poll(), std::vector<int>{key_space});
    mask(0);
    event(evdev_key, 0x122, 0);
    EXPECT_EQ(poll(), std::vector<int>{});
    // the device's masks one a poll: a press and its release, each seen
    mask(button_start);
    mask(0);
    EXPECT_EQ(poll(), std::vector<int>{key_escape});
    EXPECT_EQ(poll(), std::vector<int>{});
    event(evdev_absolute, evdev_axis_y, 20);
    mask(button_start);
    EXPECT_EQ(poll(), (std::vector<int>{key_escape, key_up}));
}

TEST(Buttons, NoDevicesNoKeys) {
    buttons_open("/nonexistent/GPIO", "/nonexistent/event");
    int key;
    EXPECT_EQ(buttons_poll(&key), 0);
    buttons_close();
}

} // namespace
