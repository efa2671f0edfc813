// Fuzz target: any byte string as a module; if it loads, a few thousand ticks mixed through the
// real voice operations.
#include "fuzz_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzz_one_module(data, size);
    return 0;
}
