// Picture and sound together on a desktop: the settings and the latency they give.
#include "demo/sync.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

bool demo_sync_heard(const char *value, bool *invalid) {
    *invalid = false;
    if (!value || !std::strcmp(value, "mixed")) return false;
    if (!std::strcmp(value, "heard")) return true;
    *invalid = true;
    return false;
}

int demo_sync_offset_ms(const char *value, bool *invalid) {
    *invalid = false;
    if (!value) return 0;
    char *end = nullptr;
    const long n = std::strtol(value, &end, 10);
    if (end != value && *end == '\0' && n >= -sync_offset_limit_ms && n <= sync_offset_limit_ms)
        return (int)n;
    *invalid = true;
    return 0;
}

namespace {
struct Allowance {
    const char *driver;
    int ms;
};
// SDL 1.2's PulseAudio driver, and SDL 2's under sdl12-compat, each through PulseAudio 16.
constexpr Allowance allowances[] = {{"pulse", 0}, {"pulseaudio", -9}};
} // namespace

int demo_server_allowance_ms(const char *audio_driver) {
    for (const Allowance &a : allowances)
        if (audio_driver && !std::strcmp(audio_driver, a.driver)) return a.ms;
    return 0;
}

int demo_heard_latency(int rate, int device_samples, int allowance_ms, int offset_ms,
                       int render_us) {
    const int64_t us =
        (int64_t)(allowance_ms + offset_ms - sync_frame_lead_ms) * 1000 - (int64_t)render_us;
    return device_samples + (int)(us * rate / 1000000);
}

// A mono request a driver stores as stereo would hold half the frames its bytes say: the
// handheld asks the device for the channels it runs, so the answer is the whole truth.
int demo_oss_ring_frames(int fragments, int fragment_bytes, int channels) {
    if (fragments < 2 || fragment_bytes <= 0 || channels < 1 || channels > 2) return 0;
    return (int)((int64_t)fragments * fragment_bytes / (2 * channels));
}

void demo_render_note(SyncRender *render, int took_us) {
    const int took = took_us < 0                      ? 0
                     : took_us > sync_render_limit_us ? sync_render_limit_us
                                                      : took_us;
    render->us = render->noted ? render->us + (took - render->us) / sync_render_weight : took;
    render->noted = true;
}
