/* The peer for bench/render.sh: renders a module with libxmp (mono, 44100 Hz, 16-bit,
   nearest-neighbour) into a 16-bit mono WAV, a buffer at a time, for a given number of seconds. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <xmp.h>

enum { rate = 44100, buffer_samples = 2048 };

static void put32(FILE *f, uint32_t v) {
    const uint8_t b[4] = {(uint8_t)v, (uint8_t)(v >> 8), (uint8_t)(v >> 16), (uint8_t)(v >> 24)};
    fwrite(b, 1, 4, f);
}

static void put16(FILE *f, uint16_t v) {
    const uint8_t b[2] = {(uint8_t)v, (uint8_t)(v >> 8)};
    fwrite(b, 1, 2, f);
}

int main(int argc, char **argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: xmp-render OUT.wav IN.mod SECONDS\n");
        return 2;
    }
    xmp_context ctx = xmp_create_context();
    if (xmp_load_module(ctx, argv[2]) != 0) {
        fprintf(stderr, "xmp-render: cannot load %s\n", argv[2]);
        return 1;
    }
    if (xmp_start_player(ctx, rate, XMP_FORMAT_MONO) != 0) return 1;
    xmp_set_player(ctx, XMP_PLAYER_INTERP, XMP_INTERP_NEAREST);
    FILE *f = fopen(argv[1], "wb");
    if (!f) return 1;
    const uint64_t total = (uint64_t)rate * (uint64_t)atol(argv[3]);
    const uint32_t data = (uint32_t)(total * 2);
    fwrite("RIFF", 1, 4, f);
    put32(f, 36 + data);
    fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);
    put16(f, 1);
    put32(f, rate);
    put32(f, rate * 2);
    put16(f, 2);
    put16(f, 16);
    fwrite("data", 1, 4, f);
    put32(f, data);
    int16_t buffer[buffer_samples];
    for (uint64_t done = 0; done < total; done += buffer_samples) {
        const int n = total - done < buffer_samples ? (int)(total - done) : buffer_samples;
        xmp_play_buffer(ctx, buffer, n * 2, 0); /* loops as often as it takes */
        fwrite(buffer, 2, (size_t)n, f);
    }
    fclose(f);
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
    return 0;
}
