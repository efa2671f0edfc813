// quellbrand-record: the golden record of the whole demo on the virtual clock, and nothing else.
// It needs only the C library: the handheld's static build makes its record with it.
#include "demo/frame.h"
#include "demo/virtual_clock.h"
#include "golden.h"
#include "player/player.h"
#include "run_demo.h"

#include <cstdio>
#include <cstring>

namespace {
double start_ms = 0;

void take_buffer(const int16_t *buffer) {
    golden_audio(buffer, offline_buffer_samples);
}
void take_start(double start) {
    start_ms = start;
}
void present(const uint8_t *canvas) {
    golden_frame(canvas, demo_time(offline_clock_now_ms(), start_ms), pt_song_clock());
}
} // namespace

int main(int argc, char **argv) {
    // the capture's option, so one test script serves both
    if (argc != 3 || std::strcmp(argv[1], "--golden") != 0) {
        std::fprintf(stderr, "usage: quellbrand-record --golden FILE\n");
        return 2;
    }
    golden_begin();
    offline_run_demo(take_buffer, take_start, present);
    if (!golden_write(argv[2], offline_clock_buffers())) {
        std::fprintf(stderr, "quellbrand-record: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
