// The SDL side of the sound drivers: the audio device and the silent driver's timer.
#include "host/sdl/sdl_audio.h"
#include "sound/heard.h"

#include <SDL.h>
#include <cstring>

namespace {

SDL_AudioSpec audio_spec;
int widen = 1;

// The driver's samples in the first part of the stream, spread from the end backwards so that
// none is overwritten before it is copied.
void spread(Uint8 *stream, int len) {
    const int bytes = (audio_spec.format & 0xff) / 8;
    const int samples = len / (bytes * widen);
    for (int s = samples - 1; s >= 0; --s)
        for (int c = widen - 1; c >= 0; --c)
            std::memmove(stream + (s * widen + c) * bytes, stream + s * bytes, (size_t)bytes);
}

void audio_callback(void *userdata, Uint8 *stream, int len) {
    // when the device asked: for the watch on it, and for the desktop's estimate of what is
    // being heard while it runs the ticks
    const uint32_t now = SDL_GetTicks();
    snd_watch_request(now);
    if (snd_ticks_on_device()) snd_heard_note_request(now, snd_stream_position(), snd_output_rate);
    snd_audio_callback(userdata, stream, len / widen);
    if (widen > 1) spread(stream, len);
}

int sdl_open(int freq, int format, int channels, int samples) {
    audio_spec.freq = freq;
    audio_spec.format = (Uint16)format;
    audio_spec.channels = (Uint8)(channels * widen);
    audio_spec.samples = (Uint16)samples;
    audio_spec.callback = audio_callback;
    audio_spec.userdata = nullptr;
    return SDL_OpenAudio(&audio_spec, nullptr) < 0 ? 0 : 1;
}

// Under the audio lock, which SDL also holds around every callback: everything the main thread
// set up before (the loaded song, the tick rate) is then seen by the audio thread.
void sdl_pause(int paused) {
    SDL_LockAudio();
    SDL_PauseAudio(paused);
    SDL_UnlockAudio();
}

uint32_t sdl_now_ms() {
    return SDL_GetTicks();
}

static_assert(snd_format_u8 == AUDIO_U8 && snd_format_s16lsb == AUDIO_S16LSB, "SDL formats");

} // namespace

void sdl_audio_widen(int channels) {
    widen = channels;
}

const SndAudioDevice snd_sdl_audio_device = {sdl_open, sdl_pause, sdl_start_timer, sdl_now_ms};
