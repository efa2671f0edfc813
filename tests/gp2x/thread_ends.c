/* Threads started and joined over and over, as the demo's sound thread is at its end: under Linux
 * 2.4 no kernel clears a thread's tid, so the C library lets the thread list go just before the
 * thread's exit call, and the joiner may unmap the thread's stack at once. The thread must not
 * touch its stack after that, or it faults. Prints the number of rounds when all have ended.
 *   thread_ends [ROUNDS] */
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>

static volatile int work;

static void *run(void *arg) {
    for (int i = 0; i < (int)(long)arg; ++i) work += i;
    return arg;
}

int main(int argc, char **argv) {
    const int rounds = argc > 1 ? atoi(argv[1]) : 2000;
    for (int n = 0; n < rounds; ++n) {
        pthread_t t;
        void *result;
        /* the joiner reaches the thread list at every moment of the thread's end */
        if (pthread_create(&t, NULL, run, (void *)(long)(n % 64)) || pthread_join(t, &result) ||
            result != (void *)(long)(n % 64)) {
            printf("FAILED at round %d\n", n);
            return 1;
        }
    }
    printf("%d\n", rounds);
    return 0;
}
