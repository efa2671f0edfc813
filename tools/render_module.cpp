// Renders a module through the demo's own player and mixer into a 16-bit mono WAV file.
#include "offline.h"
#include "player/player.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" uint8_t song_module[];
extern "C" uint8_t song_module_end[];

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: quellbrand-render OUT.wav [IN.mod] [--until CLOCK]\n"
            "  without IN.mod the demo's own song; by default until the clock passes 1840\n");
        return 2;
    }
    std::string in;
    int until = 1840;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--until") && i + 1 < argc)
            until = std::atoi(argv[++i]);
        else
            in = argv[i];
    }
    std::vector<uint8_t> file;
    uint8_t *bytes = song_module;
    size_t size = (size_t)(song_module_end - song_module);
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
    std::vector<int16_t> out;
    int16_t buffer[offline_buffer_samples];
    constexpr int limit_seconds = 600;
    while (pt_song_clock() <= until && out.size() < (size_t)offline_rate * limit_seconds) {
        offline_audio_buffer(buffer);
        out.insert(out.end(), buffer, buffer + offline_buffer_samples);
    }
    if (!offline_write_wav(argv[1], out, offline_rate)) return 1;
    std::fprintf(stderr, "%.1f s written\n", (double)out.size() / offline_rate);
    return 0;
}
