// The desktop: a 16-bit screen, SDL's keyboard and mouse only, a frame gate that sleeps.
#include "host/sdl/platform.h"

#include <SDL.h>

namespace {
void sleep_ms(int ms) {
    SDL_Delay((Uint32)ms);
}
} // namespace

const SdlPlatform sdl_platform = {
    platform_plain_depth, platform_nothing, platform_no_key, sleep_ms, platform_nothing, false,
    platform_one_channel, platform_no_ring};
