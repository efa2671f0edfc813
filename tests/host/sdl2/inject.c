/* A stand-in for a handheld's keys and game controller in tests: preloaded into the SDL 2 host, it
 * hands the program one event of its own through SDL_PollEvent, QB_INJECT_MS after the program
 * first polled: QB_INJECT=key:SYM (an SDL 2 key) or button:N (a game controller button). */
#define _GNU_SOURCE
#include <SDL.h>
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>

int SDL_PollEvent(SDL_Event *event) {
    static int (*poll)(SDL_Event *);
    static Uint32 first;
    static int done;
    if (!poll) poll = (int (*)(SDL_Event *))dlsym(RTLD_NEXT, "SDL_PollEvent");
    const char *what = getenv("QB_INJECT"), *after = getenv("QB_INJECT_MS");
    if (what && event && !done) {
        const Uint32 now = SDL_GetTicks();
        if (!first) first = now ? now : 1;
        if (now - first >= (Uint32)atoi(after ? after : "0")) {
            done = 1;
            memset(event, 0, sizeof *event);
            if (!strncmp(what, "key:", 4)) {
                event->type = SDL_KEYDOWN;
                event->key.keysym.sym = atoi(what + 4);
            } else {
                event->type = SDL_CONTROLLERBUTTONDOWN;
                event->cbutton.button = (Uint8)atoi(what + 7);
            }
            return 1;
        }
    }
    return poll(event);
}
