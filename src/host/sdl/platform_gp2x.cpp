// The GP2X family: the framebuffer at its own depth, the buttons as keys, a busy frame gate, the
// buttons' devices closed before the menu, the pictures following the song as heard through the
// OSS device's own ring.
#include "host/sdl/buttons.h"
#include "demo/present.h"
#include "demo/sync.h"
#include "host/sdl/platform.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <linux/soundcard.h>
#include <sys/ioctl.h>
#include <unistd.h>

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

// Stereo through SDL's OSS driver: the GP2X's driver stores a mono fragment as stereo (half the
// frames its bytes say) and the Caanoo's answers stereo to any request, so asking for two channels
// gives every model one geometry, two fragments of 2048 frames, that the device reports honestly.
int channels(const char *audio_driver) {
    return audio_driver && !std::strcmp(audio_driver, "dsp") ? 2 : 1;
}

// SDL keeps its /dev/dsp descriptor to itself: it is the one open on an OSS audio device (found by
// its name: the handheld's C library makes no stat call, whose structure differs between the ARM
// ABIs). Asked once the device runs, as the GP2X's kernel oopses on a GETOSPACE before its first
// DMA.
constexpr int descriptors_searched = 64;
bool is_dsp(int fd) {
    char link[32], path[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    if (n <= 0) return false;
    path[n] = '\0';
    const char *name = std::strrchr(path, '/');
    return !std::strncmp(path, "/dev/", 5) && name && !std::strncmp(name + 1, "dsp", 3);
}
int ring_frames(int device_channels) {
    for (int fd = 3; fd < descriptors_searched; ++fd) {
        if (!is_dsp(fd)) continue;
        audio_buf_info info;
        if (ioctl(fd, SNDCTL_DSP_GETOSPACE, &info) != 0) return 0;
        return demo_oss_ring_frames(info.fragstotal, info.fragsize, device_channels);
    }
    return 0;
}

} // namespace

// The kernel sleeps in 10 ms steps: the frame gate keeps to the pure busy wait. The menus pass no
// environment, so the heard clock is the handheld's own default.
const SdlPlatform sdl_platform = {depth,         open_buttons, buttons_poll, nullptr,
                                  buttons_close, true,         channels,     ring_frames};
