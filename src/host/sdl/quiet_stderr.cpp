// Standard error held aside in a pipe while SDL looks for a sound device: without a sound card
// the ALSA library prints lines of its own before the demo's one line saying so.
#include "host/sdl/quiet_stderr.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {
int saved = -1;
int held = -1;
// What the libraries said meanwhile; more is dropped.
char kept[8192];
size_t kept_length = 0;

void set_nonblocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}
} // namespace

void quiet_stderr_begin() {
    const char *asked = std::getenv("SDL_AUDIODRIVER");
    if (saved >= 0 || (asked && asked[0])) return;
    int ends[2];
    if (pipe(ends) != 0) return;
    // a library that prints more than the pipe holds loses the rest instead of blocking
    set_nonblocking(ends[0]);
    set_nonblocking(ends[1]);
    std::fflush(stderr);
    saved = dup(STDERR_FILENO);
    if (saved < 0 || dup2(ends[1], STDERR_FILENO) < 0) {
        if (saved >= 0) close(saved);
        saved = -1;
        close(ends[0]);
    } else {
        held = ends[0];
    }
    close(ends[1]);
}

void quiet_stderr_end() {
    if (saved < 0) return;
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    saved = -1;
    ssize_t n;
    while (kept_length < sizeof kept &&
           (n = read(held, kept + kept_length, sizeof kept - kept_length)) > 0)
        kept_length += (size_t)n;
    close(held);
    held = -1;
}

void quiet_stderr_release(bool pass_on) {
    if (pass_on && kept_length > 0 && write(STDERR_FILENO, kept, kept_length) < 0) {
        // nowhere to say it
    }
    kept_length = 0;
}
