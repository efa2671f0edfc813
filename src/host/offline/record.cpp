// quellbrand-record: the golden record of the whole demo on the virtual clock, and nothing else.
// It needs only the C library: the handheld's static build makes its record with it.
#include "host/offline/golden.h"
#include "host/offline/run_demo.h"
#include "host/offline/virtual_clock.h"

#include <cstdio>
#include <cstring>

namespace {
void take_buffer(const int16_t *buffer) {
    golden_audio(buffer, offline_buffer_samples);
}
} // namespace

int main(int argc, char **argv) {
    // the capture's option, so one test script serves both
    if (argc != 3 || std::strcmp(argv[1], "--golden") != 0) {
        std::fprintf(stderr, "usage: quellbrand-record --golden FILE\n");
        return 2;
    }
    golden_begin();
    offline_run_demo(take_buffer, nullptr, golden_frame);
    if (!golden_write(argv[2], offline_clock_buffers())) {
        std::fprintf(stderr, "quellbrand-record: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
