/* Records a PulseAudio source (a null sink's monitor) as raw 16-bit mono 44100 Hz samples, with
 * the monotonic time at which each stretch was at the source: the time a read returns less the
 * latency the server reports for it.
 *   av_sync_record SOURCE SECONDS SAMPLES.raw TIMES.txt
 * TIMES.txt has a line a read: the count of samples recorded after it, and the time in ns at
 * which the last of them was at the source. */
#include <pulse/error.h>
#include <pulse/simple.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#define RATE 44100
#define CHUNK 441 /* 10 ms a read */

static volatile sig_atomic_t stop = 0;
static void on_signal(int s) {
    (void)s;
    stop = 1;
}

static long long now_ns(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

int main(int argc, char **argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: av_sync_record SOURCE SECONDS SAMPLES.raw TIMES.txt\n");
        return 2;
    }
    const pa_sample_spec spec = {PA_SAMPLE_S16LE, RATE, 1};
    pa_buffer_attr attr = {(uint32_t)-1, (uint32_t)-1, (uint32_t)-1, (uint32_t)-1, CHUNK * 2};
    int error = 0;
    pa_simple *s = pa_simple_new(NULL, "av_sync_record", PA_STREAM_RECORD, argv[1], "monitor",
                                 &spec, NULL, &attr, &error);
    if (!s) {
        fprintf(stderr, "av_sync_record: %s\n", pa_strerror(error));
        return 1;
    }
    FILE *samples = fopen(argv[3], "wb"), *times = fopen(argv[4], "w");
    if (!samples || !times) return 1;
    signal(SIGINT, on_signal);
    signal(SIGTERM, on_signal);
    const long long until = now_ns() + (long long)(atof(argv[2]) * 1e9);
    int16_t chunk[CHUNK];
    unsigned long long count = 0;
    while (!stop && now_ns() < until) {
        if (pa_simple_read(s, chunk, sizeof chunk, &error) < 0) {
            fprintf(stderr, "av_sync_record: %s\n", pa_strerror(error));
            return 1;
        }
        const long long at = now_ns();
        const pa_usec_t latency = pa_simple_get_latency(s, &error);
        count += CHUNK;
        fwrite(chunk, sizeof chunk[0], CHUNK, samples);
        fprintf(times, "%llu %lld\n", count, at - (long long)latency * 1000);
    }
    pa_simple_free(s);
    fclose(samples);
    fclose(times);
    return 0;
}
