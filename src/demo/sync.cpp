// Picture and sound together on a desktop: the settings and the latency they give.
#include "demo/sync.h"

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

int demo_heard_latency(int rate, int device_samples, int allowance_ms, int offset_ms) {
    return device_samples + (allowance_ms + offset_ms - sync_frame_lead_ms) * rate / 1000;
}
