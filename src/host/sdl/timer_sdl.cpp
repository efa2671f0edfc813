// The silent driver's timer on SDL's timer thread.
#include "host/sdl/sdl_audio.h"

#include <SDL.h>

namespace {
Uint32 timer_callback(Uint32 interval) {
    return snd_timer_callback(interval);
}
} // namespace

void sdl_start_timer(int milliseconds) {
    SDL_Init(SDL_INIT_TIMER);
    SDL_SetTimer((Uint32)milliseconds, timer_callback);
}
