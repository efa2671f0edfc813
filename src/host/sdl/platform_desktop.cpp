// The desktop: a 16-bit screen, SDL's keyboard and mouse only, a frame gate that sleeps.
#include "demo/present.h"
#include "host/sdl/platform.h"

#include <SDL.h>

namespace {
int depth() {
    return screen_bits;
}
void nothing() {}
int no_key(int *) {
    return 0;
}
void sleep_ms(int ms) {
    SDL_Delay((Uint32)ms);
}
} // namespace

const SdlPlatform sdl_platform = {depth, nothing, no_key, sleep_ms, nothing};
