/* What the Linux 2.4 personality must answer, asked without a C library: a static ARMv4T
 * program whose system calls are all dual-encoded (mov r7,#n ; swi #(0x900000|n)). Prints a line
 * a check and exits with the number of checks that failed. */
#include <stdint.h>

#define SWI(n)                                                                                     \
    "mov r7,#((" #n ") & 0xff)\n\torr r7,r7,#((" #n ") & 0xf00)\n\tswi #(0x900000 + " #n ")"
#define SWI_ARM(k) "mov r7,#0xf0000\n\torr r7,r7,#" #k "\n\tswi #(0x9f0000 + " #k ")"

#define CALL(insn, a, b, c, d)                                                                     \
    ({                                                                                             \
        register long r0 __asm__("r0") = (long)(a);                                                \
        register long r1 __asm__("r1") = (long)(b);                                                \
        register long r2 __asm__("r2") = (long)(c);                                                \
        register long r3 __asm__("r3") = (long)(d);                                                \
        __asm__ __volatile__(insn : "+r"(r0) : "r"(r1), "r"(r2), "r"(r3) : "r7", "memory");        \
        r0;                                                                                        \
    })

enum { ENOSYS = 38, ESRCH = 3, SIGSEGV = 11, SIGKILL = 9 };

static long write_out(const char *s) {
    long n = 0;
    while (s[n]) n++;
    return CALL(SWI(4), 1, s, n, 0);
}

static void put_number(long v) {
    char buf[24], *p = buf + sizeof buf - 1;
    int negative = v < 0;
    unsigned long u = negative ? -(unsigned long)v : (unsigned long)v;
    *p = 0;
    do *--p = (char)('0' + u % 10);
    while (u /= 10);
    if (negative) *--p = '-';
    write_out(p);
}

static int failures;
static void check(const char *what, long got, long want) {
    write_out(got == want ? "ok    " : "FAILED ");
    write_out(what);
    write_out(": ");
    put_number(got);
    if (got != want) {
        write_out(", not ");
        put_number(want);
        failures++;
    }
    write_out("\n");
}

static void yield(void) {
    CALL(SWI(158), 0, 0, 0, 0);
}

/* A child process that does one forbidden thing; returns its wait status. */
static long in_child(void (*deed)(void)) {
    long pid = CALL(SWI(2), 0, 0, 0, 0); /* fork */
    if (pid == 0) {
        deed();
        CALL(SWI(1), 0, 0, 0, 0); /* not reached when the deed kills it */
    }
    int status = 0;
    CALL(SWI(114), pid, &status, 0, 0); /* wait4 */
    return status;
}
static void read_helper_page(void) {
    (void)*(volatile int *)0xffff0ffc;
}
static void jump_to_get_tls(void) {
    ((void (*)(void))0xffff0fe0)();
}
static void new_abi_call(void) {
    __asm__ __volatile__("mov r7,#20\n\tswi #0" ::: "r0", "r7", "memory");
}

/* clone's three flags Linux 2.4 ignores: no tid stored in the parent, none cleared at exit */
static volatile int thread_ran;
static int parent_tid = 0x5151, child_tid = 0x7171;
static uint32_t thread_stack[1024];
__attribute__((used)) int thread_body(void) {
    thread_ran = 1;
    return 0;
}
static long clone_thread(void) {
    enum {
        vm = 0x100,
        fs = 0x200,
        files = 0x400,
        sighand = 0x800,
        thread = 0x10000,
        sysvsem = 0x40000,
        settls = 0x80000,
        parent_settid = 0x100000,
        child_cleartid = 0x200000
    };
    long flags =
        vm | fs | files | sighand | thread | sysvsem | settls | parent_settid | child_cleartid;
    register long r0 __asm__("r0") = flags;
    register long r1 __asm__("r1") = (long)(thread_stack + 1024);
    register long r2 __asm__("r2") = (long)&parent_tid;
    register long r3 __asm__("r3") = 0x1234; /* tls */
    register long r4 __asm__("r4") = (long)&child_tid;
    __asm__ __volatile__(SWI(120) "\n\t"
                                  "cmp r0,#0\n\t"
                                  "bne 1f\n\t"
                                  "bl thread_body\n\t" SWI(1) "\n"
                                                              "1:"
                         : "+r"(r0)
                         : "r"(r1), "r"(r2), "r"(r3), "r"(r4)
                         : "r7", "lr", "ip", "memory");
    return r0;
}

int main(void) {
    check("getpid answers", CALL(SWI(20), 0, 0, 0, 0) > 0, 1);
    check("futex", CALL(SWI(240), 0, 0, 0, 0), -ENOSYS);
    check("exit_group", CALL(SWI(248), 3, 0, 0, 0), -ENOSYS);
    check("set_tid_address", CALL(SWI(256), 0, 0, 0, 0), -ENOSYS);
    check("clock_gettime", CALL(SWI(263), 1, 0, 0, 0), -ENOSYS);
    check("call 7 (waitpid, not in 2.4's table)", CALL(SWI(7), 0, 0, 0, 0), -ENOSYS);
    check("set_tls", CALL(SWI_ARM(5), 0x1234, 0, 0, 0), -ENOSYS);
    check("cacheflush", CALL(SWI_ARM(2), 0, 0, 0, 0), 0);
    check("a read of the helpers' page kills with SIGSEGV", in_child(read_helper_page) & 0x7f,
          SIGSEGV);
    check("a jump to the get_tls helper kills with SIGSEGV", in_child(jump_to_get_tls) & 0x7f,
          SIGSEGV);
    check("swi 0 kills with SIGSEGV", in_child(new_abi_call) & 0x7f, SIGSEGV);

    long tid = clone_thread();
    check("clone makes a thread", tid > 0, 1);
    while (!thread_ran) yield();
    /* until the thread has gone: signal 0 finds it no more */
    while (CALL(SWI(238), tid, 0, 0, 0) != -ESRCH) yield();
    check("clone stores no tid in the parent", parent_tid, 0x5151);
    check("the thread's end clears no tid", child_tid, 0x7171);
    return failures;
}

__asm__(".global _start\n"
        "_start:\n\t"
        "mov fp,#0\n\t"
        "bl main\n\t"
        "mov r7,#1\n\t"
        "swi #0x900001\n");
