// The GP2X family: the framebuffer at its own depth, the buttons as keys, a busy frame gate, the
// buttons' devices closed before the menu.
#include "host/sdl/buttons.h"
#include "demo/present.h"
#include "host/sdl/platform.h"

#include <SDL.h>
#include <cstdlib>

namespace {

// The framebuffer's own depth where it has 24 or 32 bits (the Caanoo's takes a 16-bit mode but
// goes on showing 24-bit pixels); 16 bits otherwise.
int depth() {
    const SDL_VideoInfo *info = SDL_GetVideoInfo();
    const int bits = info && info->vfmt ? info->vfmt->BitsPerPixel : screen_bits;
    return bits == 24 || bits == 32 ? bits : screen_bits;
}

// QUELLBRAND_GPIO and QUELLBRAND_EVENTS name stand-ins for the button devices, for tests.
void open_buttons() {
    buttons_open(std::getenv("QUELLBRAND_GPIO"), std::getenv("QUELLBRAND_EVENTS"));
}

} // namespace

// The kernel sleeps in 10 ms steps: the frame gate keeps to the pure busy wait.
const SdlPlatform sdl_platform = {depth, open_buttons, buttons_poll, nullptr, buttons_close};
