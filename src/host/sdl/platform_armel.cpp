// The handheld's code on Debian's ARM libraries: the desktop's screen and input, the handheld's
// busy frame gate.
#include "demo/present.h"
#include "host/sdl/platform.h"

namespace {
int depth() {
    return screen_bits;
}
void nothing() {}
int no_key(int *) {
    return 0;
}
} // namespace

// The handheld's kernel sleeps in 10 ms steps: its frame gate keeps to the pure busy wait.
const SdlPlatform sdl_platform = {depth, nothing, no_key, nullptr, nothing};
