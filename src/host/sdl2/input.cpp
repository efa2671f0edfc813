// The SDL 2 host's input: SDL 2's keys and a game controller's buttons as the core's keys.
#include "host/sdl2/input.h"
#include "demo/frame.h"

#include <SDL.h>

namespace {

struct KeyPair {
    int from, to;
};
constexpr KeyPair keys[] = {
    {SDLK_ESCAPE, key_escape}, {SDLK_RETURN, key_return}, {SDLK_SPACE, key_space},
    {SDLK_UP, key_up},         {SDLK_DOWN, key_down},     {SDLK_F1, key_f1},
    {SDLK_F2, key_f2},         {SDLK_F3, key_f3},         {SDLK_F4, key_f4},
};
// As on the GP2X: START ends the demo, A and B are Return and Space, the shoulders and X and Y
// the function keys.
constexpr KeyPair buttons[] = {
    {SDL_CONTROLLER_BUTTON_START, key_escape},
    {SDL_CONTROLLER_BUTTON_A, key_return},
    {SDL_CONTROLLER_BUTTON_B, key_space},
    {SDL_CONTROLLER_BUTTON_DPAD_UP, key_up},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, key_down},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, key_f1},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, key_f2},
    {SDL_CONTROLLER_BUTTON_X, key_f3},
    {SDL_CONTROLLER_BUTTON_Y, key_f4},
};

template <int N> int look_up(const KeyPair (&table)[N], int from, int *key) {
    for (const KeyPair &p : table)
        if (p.from == from) return *key = p.to, 1;
    return 0;
}

} // namespace

int input_key(int sdl2_key, int *key) {
    return look_up(keys, sdl2_key, key);
}

int input_button(int button, int *key) {
    return look_up(buttons, button, key);
}

int input_stick(int value, int *where, int *key) {
    const int now = value <= -input_stick_threshold ? -1 : value >= input_stick_threshold ? 1 : 0;
    const int moved = now != 0 && now != *where;
    *where = now;
    if (moved) *key = now < 0 ? key_up : key_down;
    return moved;
}
