/* The guest's witness of pauses it cannot cause: at the highest real-time priority it sleeps
 * PERIOD_MS at a time and prints "PAUSED for N ms" when it wakes at least LATE_MS late. At that
 * priority, on the GP2X stage's one processor, only a guest that did not run at all wakes it late:
 * the host descheduled the emulator, or the hypervisor took the host, while the guest's clock went
 * on. The sound check allows an underrun near such a line as near a stall it made itself.
 *   pause_watch */
#include <sched.h>
#include <stdio.h>
#include <sys/mman.h>
#include <time.h>

enum { PERIOD_MS = 4, LATE_MS = 30 };

static long long now_ns(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

int main(void) {
    struct sched_param top = {.sched_priority = sched_get_priority_max(SCHED_FIFO)};
    if (sched_setscheduler(0, SCHED_FIFO, &top) != 0) {
        perror("pause_watch: SCHED_FIFO");
        return 1;
    }
    mlockall(MCL_CURRENT | MCL_FUTURE);
    setvbuf(stdout, NULL, _IONBF, 0);
    const struct timespec period = {0, PERIOD_MS * 1000000L};
    for (;;) {
        const long long before = now_ns();
        nanosleep(&period, NULL);
        const long long late_ms = (now_ns() - before) / 1000000 - PERIOD_MS;
        if (late_ms >= LATE_MS) printf("PAUSED for %lld ms\n", late_ms);
    }
}
