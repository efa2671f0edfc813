// The SDL 2 host's keys, controller buttons and stick as the core's keys.
#include "demo/frame.h"
#include "host/sdl2/input.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

TEST(Sdl2Input, KeysAndButtonsAsTheHandhelds) {
    const struct {
        bool button;
        int from, key; // 0: none
    } cases[] = {
        {false, SDLK_ESCAPE, key_escape},
        {false, SDLK_RETURN, key_return},
        {false, SDLK_UP, key_up},
        {false, SDLK_F4, key_f4},
        {false, SDLK_a, 0},
        {false, SDLK_F5, 0},
        {true, SDL_CONTROLLER_BUTTON_START, key_escape},
        {true, SDL_CONTROLLER_BUTTON_A, key_return},
        {true, SDL_CONTROLLER_BUTTON_B, key_space},
        {true, SDL_CONTROLLER_BUTTON_DPAD_DOWN, key_down},
        {true, SDL_CONTROLLER_BUTTON_LEFTSHOULDER, key_f1},
        {true, SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, key_f2},
        {true, SDL_CONTROLLER_BUTTON_X, key_f3},
        {true, SDL_CONTROLLER_BUTTON_Y, key_f4},
        // Select and Guide are PortMaster's hotkey; the stick presses were mouse buttons there
        {true, SDL_CONTROLLER_BUTTON_BACK, 0},
        {true, SDL_CONTROLLER_BUTTON_GUIDE, 0},
        {true, SDL_CONTROLLER_BUTTON_LEFTSTICK, 0},
        {true, SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0},
    };
    for (const auto &c : cases) {
        int key = -1;
        const int got = c.button ? input_button(c.from, &key) : input_key(c.from, &key);
        EXPECT_EQ(got, c.key != 0) << c.from;
        if (c.key) {
            EXPECT_EQ(key, c.key) << c.from;
        }
    }
}

// The stick gives Up or Down once each time it gets past a third of its travel.
TEST(Sdl2Input, StickOnceEachWay) {
    const struct {
        int value, key; // 0: none
    } moves[] = {
        {0, 0},           {-10000, 0},       {-10923, key_up}, {-32768, 0}, {-5000, 0},
        {-20000, key_up}, {32767, key_down}, {20000, 0},       {0, 0},      {10923, key_down},
    };
    int where = 0;
    for (const auto &m : moves) {
        int key = 0;
        EXPECT_EQ(input_stick(m.value, &where, &key), m.key != 0) << m.value;
        EXPECT_EQ(key, m.key) << m.value;
    }
}

} // namespace
