// What SDL 1.2 does its own way for the shared host code: the silent driver's timer on SDL's timer
// thread, the audio driver's name.
#include "host/sdl/sdl_audio.h"
#include "host/sdl/session.h"

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

void sdl_audio_driver_name(char *name, int size) {
    if (!SDL_AudioDriverName(name, size) && size > 0) name[0] = '\0';
}
