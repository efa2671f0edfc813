// The handheld's code on Debian's ARM libraries: the desktop's screen and input, the handheld's
// busy frame gate (its kernel sleeps in 10 ms steps).
#include "host/sdl/platform.h"

const SdlPlatform sdl_platform = {
    platform_plain_depth, platform_nothing, platform_no_key, nullptr, platform_nothing, false,
    platform_one_channel, platform_no_ring};
