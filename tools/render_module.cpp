// Renders a module through the demo's own player and mixer into a 16-bit mono WAV file.
#include "data/embedded.h"
#include "demo/frame.h"
#include "offline.h"
#include "player/player.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: quellbrand-render OUT.wav [IN.mod] [--until CLOCK] [--seconds S]\n"
            "  without IN.mod the demo's own song; until the clock passes CLOCK (default 1840)\n"
            "  or S seconds are written (default 600)\n");
        return 2;
    }
    std::string in;
    int until = demo_end_clock;
    long limit_seconds = 600;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--until") && i + 1 < argc)
            until = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--seconds") && i + 1 < argc)
            limit_seconds = std::max(0L, std::atol(argv[++i]));
        else
            in = argv[i];
    }
    std::vector<uint8_t> file;
    uint8_t *bytes = song_module;
    size_t size = song_module_size;
    if (!in.empty()) {
        file = offline_read_file(in);
        if (file.empty()) {
            std::fprintf(stderr, "quellbrand-render: cannot read %s\n", in.c_str());
            return 1;
        }
        size = file.size();
        file.push_back(0); // a loop ending the last sample reads one byte past it
        bytes = file.data();
    }
    offline_sound_start();
    if (!pt_load(bytes, size)) {
        std::fprintf(stderr, "quellbrand-render: %s\n", pt_error);
        return 1;
    }
    WavWriter wav;
    if (!wav_open(wav, argv[1], offline_rate)) {
        std::fprintf(stderr, "quellbrand-render: cannot write %s\n", argv[1]);
        return 1;
    }
    int16_t buffer[offline_buffer_samples];
    const uint64_t limit = (uint64_t)offline_rate * (uint64_t)limit_seconds;
    while (pt_song_clock() <= until && wav.samples < limit) {
        offline_audio_buffer(buffer);
        wav_write(wav, buffer, offline_buffer_samples);
    }
    const double seconds = (double)wav.samples / offline_rate;
    if (!wav_close(wav)) {
        std::fprintf(stderr, "quellbrand-render: cannot write %s\n", argv[1]);
        return 1;
    }
    std::fprintf(stderr, "%.1f s written\n", seconds);
    return 0;
}
