// Today's handhelds under PortMaster (and the desktop, for tests): SDL 2's own devices, a frame
// gate that sleeps, the pictures following the song as heard.
#include "host/sdl/platform.h"
#include "sound/driver.h"

#include <SDL.h>
#include <cstring>

namespace {

void sleep_ms(int ms) {
    SDL_Delay((Uint32)ms);
}

// SDL 2's ALSA driver asks for two periods of one buffer each and its writes block, so at every
// request both are full, as with OSS; what other drivers queue is not known.
constexpr int alsa_periods = 2;
int ring_frames(int) {
    const char *driver = SDL_GetCurrentAudioDriver();
    return driver && !std::strcmp(driver, "alsa") ? alsa_periods * snd_device_samples : 0;
}

} // namespace

const SdlPlatform sdl_platform = {
    platform_plain_depth, platform_nothing, platform_no_key, sleep_ms, platform_nothing, true,
    platform_one_channel, ring_frames};
