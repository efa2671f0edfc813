// The SDL 2 host's input as the core's keys: the keys the demo acts on, and a game controller's
// buttons and left stick mapped as the handheld's buttons are.
#pragma once

// 1 and the core's key for an SDL 2 key the demo acts on; 0 for any other.
int input_key(int sdl2_key, int *key);
// 1 and the core's key for a game controller button (SDL_GameControllerButton) that has one.
int input_button(int button, int *key);
// The left stick's vertical axis: past a third of its travel it is Up or Down, a key once each
// time it gets there; *where keeps -1 (up), 0 or 1 (down) between calls.
constexpr int input_stick_threshold = 10923;
int input_stick(int value, int *where, int *key);
