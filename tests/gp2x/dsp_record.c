/* The guest's recorder: FRAMES frames of signed 16-bit sound from an OSS device (the loopback
 * card's /dev/adsp hears what /dev/dsp plays) written raw to OUT from SEEK_MIB MiB on (0 by
 * default), until SIGTERM or the device fails. With TIMES, after every read a line "frames ns":
 * the frames the device had captured then, and CLOCK_MONOTONIC. The loopback copies to its capture
 * side what its playback side consumed at that moment, so these say when each sample was heard.
 *   dsp_record DEVICE OUT RATE CHANNELS FRAMES [SEEK_MIB [TIMES]] */
#include <fcntl.h>
#include <linux/soundcard.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

static volatile sig_atomic_t stop;
static void on_term(int sig) {
    (void)sig;
    stop = 1;
}

int main(int argc, char **argv) {
    if (argc < 6 || argc > 8) {
        fprintf(stderr, "usage: dsp_record DEVICE OUT RATE CHANNELS FRAMES [SEEK_MIB [TIMES]]\n");
        return 2;
    }
    struct sigaction sa = {0};
    sa.sa_handler = on_term; /* no SA_RESTART: a read waiting for sound returns at once */
    sigaction(SIGTERM, &sa, NULL);
    setvbuf(stdout, NULL, _IONBF, 0);
    int fd = open(argv[1], O_RDONLY);
    if (fd < 0) {
        perror(argv[1]);
        return 1;
    }
    /* 64 fragments of 4 KiB, 1.5 s of sound: the recorder falls behind for no stall of the guest */
    int fragments = 0x0040000c, format = AFMT_S16_LE, channels = atoi(argv[4]),
        rate = atoi(argv[3]);
    const int want_channels = channels, want_rate = rate;
    if (ioctl(fd, SNDCTL_DSP_SETFRAGMENT, &fragments) < 0 ||
        ioctl(fd, SNDCTL_DSP_SETFMT, &format) < 0 ||
        ioctl(fd, SNDCTL_DSP_CHANNELS, &channels) < 0 || ioctl(fd, SNDCTL_DSP_SPEED, &rate) < 0 ||
        format != AFMT_S16_LE || channels != want_channels || rate != want_rate) {
        printf("RECORD_FORMAT_REFUSED format=0x%x channels=%d rate=%d\n", format, channels, rate);
        return 1;
    }
    int out = open(argv[2], O_WRONLY | O_CREAT, 0644);
    const long seek_mib = argc >= 7 ? atol(argv[6]) : 0;
    if (out < 0 || lseek(out, (off_t)seek_mib << 20, SEEK_SET) < 0) {
        perror(argv[2]);
        return 1;
    }
    FILE *times = argc == 8 ? fopen(argv[7], "w") : NULL;
    if (argc == 8 && !times) {
        perror(argv[7]);
        return 1;
    }
    long long want = atoll(argv[5]) * channels * 2, got = 0;
    /* a whole fragment a read: GETIPTR counts what the reader was given and what the device
     * holds, not the rest of a fragment the OSS layer read and holds back */
    static char buffer[4096];
    printf("RECORDING %s\n", argv[1]);
    while (got < want && !stop) {
        long n = read(fd, buffer,
                      want - got < (long long)sizeof buffer ? (size_t)(want - got) : sizeof buffer);
        if (n <= 0) break;
        if (write(out, buffer, n) != n) {
            perror("write");
            break;
        }
        got += n;
        count_info ci;
        struct timespec now;
        if (times && ioctl(fd, SNDCTL_DSP_GETIPTR, &ci) == 0 &&
            clock_gettime(CLOCK_MONOTONIC, &now) == 0)
            fprintf(times, "%d %lld\n", ci.bytes / (2 * channels),
                    (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
    }
    if (times) fclose(times);
    fsync(out);
    close(out);
    printf("RECORDED %lld bytes at %ld MiB\n", got, seek_mib);
    return 0;
}
