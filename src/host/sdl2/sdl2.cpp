// What SDL 2 does its own way for the shared host code: the silent driver's timer, the audio
// driver's name.
#include "host/sdl/sdl_audio.h"
#include "host/sdl/session.h"

#include <SDL.h>
#include <cstring>

namespace {
Uint32 timer_callback(Uint32 interval, void *) {
    return snd_timer_callback(interval);
}
} // namespace

void sdl_start_timer(int milliseconds) {
    SDL_InitSubSystem(SDL_INIT_TIMER);
    SDL_AddTimer((Uint32)milliseconds, timer_callback, nullptr);
}

void sdl_audio_driver_name(char *name, int size) {
    const char *driver = SDL_GetCurrentAudioDriver();
    if (size <= 0) return;
    std::strncpy(name, driver ? driver : "", (size_t)size - 1);
    name[size - 1] = '\0';
}
