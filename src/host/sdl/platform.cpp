// What the platforms without devices of their own share: the 16-bit screen, SDL's input only,
// one channel of sound.
#include "demo/present.h"
#include "host/sdl/platform.h"

int platform_plain_depth() {
    return screen_bits;
}
void platform_nothing() {}
int platform_no_key(int *) {
    return 0;
}
int platform_one_channel(const char *) {
    return 1;
}
int platform_no_ring(int) {
    return 0;
}
