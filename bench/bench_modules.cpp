// Writes the modules bench/render.sh renders: songs of 4, 6 and 8 channels with a note on most
// rows, and a 4-channel song with an effect in every cell.
#include "modwriter.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

ModWriterSample looped_wave(int length, int shape) {
    ModWriterSample s;
    s.data.resize((size_t)length);
    const int period = 64;
    for (int i = 0; i < length; ++i) {
        const double phase = (double)(i % period) / period;
        const double v = shape == 0 ? 2.0 * phase - 1.0 : (phase < 0.5 ? 1.0 : -1.0);
        s.data[(size_t)i] = (int8_t)(v * 90.0 * (0.6 + 0.4 * std::sin(i * 0.01)));
    }
    s.loop_start = length / 2;
    s.loop_length = length / 2;
    return s;
}

ModWriterSample drum(int length) {
    ModWriterSample s;
    s.data.resize((size_t)length);
    unsigned noise = 12345;
    for (int i = 0; i < length; ++i) {
        noise = noise * 1103515245u + 12345u;
        const double decay = std::exp(-4.0 * i / length);
        s.data[(size_t)i] = (int8_t)((int)((noise >> 16) % 200 - 100) * decay);
    }
    return s;
}

// Eight patterns over sixteen positions; busy: an effect in every cell, else on one cell in four.
ModWriterSong song(int channels, const char *signature, bool busy) {
    ModWriterSong s;
    s.signature = signature;
    s.channels = channels;
    s.samples = {looped_wave(2000, 0), looped_wave(1600, 1), drum(6000)};
    const int effects[][2] = {{0x0, 0x37}, {0x1, 0x02}, {0x2, 0x02}, {0x3, 0x08}, {0x4, 0x46},
                              {0x5, 0x01}, {0x6, 0x10}, {0x7, 0x34}, {0xA, 0x02}, {0xA, 0x20},
                              {0xC, 0x30}, {0xE, 0x93}, {0xE, 0xC3}, {0xE, 0xD2}, {0x9, 0x04}};
    const int n_effects = (int)(sizeof effects / sizeof effects[0]);
    for (int p = 0; p < 8; ++p) {
        std::vector<ModWriterCell> cells = mod_empty_pattern(channels);
        for (int r = 0; r < 64; ++r)
            for (int c = 0; c < channels; ++c) {
                ModWriterCell &cell = cells[(size_t)(r * channels + c)];
                const bool drum_channel = c % 4 == 3;
                if (drum_channel ? r % 4 == 0 : (r + c + p) % 3 != 2) {
                    const int note = drum_channel ? 24 : 12 + (r * 7 + c * 5 + p * 3) % 36;
                    cell.sample = drum_channel ? 3 : 1 + (c + p) % 2;
                    cell.period = mod_period(note);
                }
                if (busy || (r + c) % 4 == 0) {
                    const int *e = effects[(r * 3 + c * 5 + p) % n_effects];
                    cell.command = e[0];
                    cell.param = e[1];
                }
            }
        s.patterns.push_back(cells);
    }
    s.order = {0, 1, 2, 3, 4, 5, 6, 7, 1, 0, 3, 2, 5, 4, 7, 6};
    return s;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench-modules DIR\n");
        return 2;
    }
    const struct {
        const char *name;
        int channels;
        const char *signature;
        bool busy;
    } modules[] = {{"four", 4, "M.K.", false},
                   {"six", 6, "6CHN", false},
                   {"eight", 8, "8CHN", false},
                   {"busy", 4, "M.K.", true}};
    for (const auto &m : modules) {
        const std::vector<uint8_t> bytes = mod_write(song(m.channels, m.signature, m.busy));
        const std::string path = std::string(argv[1]) + "/" + m.name + ".mod";
        FILE *f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() || std::fclose(f)) {
            std::fprintf(stderr, "bench-modules: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
