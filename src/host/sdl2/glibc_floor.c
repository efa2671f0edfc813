/* One binary for every handheld firmware: nothing of glibc newer than its first aarch64 release
 * (2.17). A glibc of 2.34 or later links the start-up to its own __libc_start_main, which runs
 * the program's constructors itself and is handed none; an older one runs only those it is
 * handed. So the start-up goes to the old entry, with the constructors and destructors handed
 * over. The static C++ library's one newer variable is the program's own: always "threads may
 * run", which is safe. And pow, which glibc 2.29 versioned anew for how it reports errors (every
 * firmware's glibc, 2.30 or later, computes it alike), goes to its first version. */
#include <stddef.h>

typedef void (*init_fn)(int, char **, char **);
typedef void (*fini_fn)(void);
extern init_fn __preinit_array_start[] __attribute__((weak));
extern init_fn __preinit_array_end[] __attribute__((weak));
extern init_fn __init_array_start[] __attribute__((weak));
extern init_fn __init_array_end[] __attribute__((weak));
extern fini_fn __fini_array_start[] __attribute__((weak));
extern fini_fn __fini_array_end[] __attribute__((weak));

char __libc_single_threaded = 0;

int __libc_start_main_2_17(int (*main)(int, char **, char **), int argc, char **argv,
                           void (*init)(int, char **, char **), void (*fini)(void),
                           void (*rtld_fini)(void), void *stack_end);
__asm__(".symver __libc_start_main_2_17,__libc_start_main@GLIBC_2.17");

static void run_init(int argc, char **argv, char **envp) {
    for (init_fn *f = __preinit_array_start; f < __preinit_array_end; ++f) (*f)(argc, argv, envp);
    for (init_fn *f = __init_array_start; f < __init_array_end; ++f) (*f)(argc, argv, envp);
}

static void run_fini(void) {
    for (fini_fn *f = __fini_array_end; f > __fini_array_start;) (*--f)();
}

int __wrap___libc_start_main(int (*main)(int, char **, char **), int argc, char **argv,
                             void (*init)(int, char **, char **), void (*fini)(void),
                             void (*rtld_fini)(void), void *stack_end) {
    (void)init;
    (void)fini;
    return __libc_start_main_2_17(main, argc, argv, run_init, run_fini, rtld_fini, stack_end);
}

double __pow_2_17(double x, double y);
__asm__(".symver __pow_2_17,pow@GLIBC_2.17");

double __wrap_pow(double x, double y) {
    return __pow_2_17(x, y);
}
