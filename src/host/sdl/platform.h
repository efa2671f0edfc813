// What differs between the platforms the SDL host runs on; one file per platform, chosen by the
// build (platform_desktop.cpp, platform_gp2x.cpp, platform_armel.cpp).
#pragma once

struct SdlPlatform {
    // Bits per pixel to ask of SDL_SetVideoMode, once SDL's video is up.
    int (*screen_depth)();
    // Input devices of the platform's own, opened once the screen is up.
    void (*open_input)();
    // After SDL's own events: 1 and a key symbol when the platform's input gave a key-down.
    int (*poll_key)(int *key);
    // Gives the processor back while the frame gate waits; null: the gate only busy-waits.
    void (*sleep_ms)(int ms);
    // Before the launcher replaces the process: whatever the platform opened is closed.
    void (*before_launcher)();
    // The song clock the pictures follow when QUELLBRAND_SYNC is unset: heard or mixed.
    bool heard_by_default;
    // Channels to open SDL's audio driver (by its name) with for the demo's one-channel sound,
    // every sample written to each.
    int (*device_channels)(const char *audio_driver);
    // Frames the running audio device queues ahead of the ear, 0 when it cannot tell.
    int (*device_ring_frames)(int channels);
};
extern const SdlPlatform sdl_platform;

// For platforms with no devices of their own (platform.cpp): 16 bits, no input, nothing to close,
// the sound in one channel, a device that does not say what it queues.
int platform_plain_depth();
void platform_nothing();
int platform_no_key(int *key);
int platform_one_channel(const char *audio_driver);
int platform_no_ring(int channels);
