// The golden record: what a whole run showed and played, as reviewed text.
#include "host/offline/golden.h"
#include "demo/timeline.h"
#include "fx/canvas.h"

#include <cstdio>

namespace {
constexpr int max_cue_clocks = scene_cue_count + overlay_cue_count;
int cue_clocks[max_cue_clocks];
int cue_clock_count = 0;
uint64_t cue_hashes[max_cue_clocks];
int cues_seen = 0;
int kept_clocks[golden_max_kept];
int frames = 0;
bool outgrown = false;
int first_t = -1, first_clock = 0, last_t = 0, last_clock = 0;
uint64_t audio_hash = golden_hash_basis;

// sorted, each clock once
void add_cue_clock(int clock) {
    int i = cue_clock_count;
    while (i > 0 && cue_clocks[i - 1] > clock) --i;
    if (i > 0 && cue_clocks[i - 1] == clock) return;
    for (int j = cue_clock_count; j > i; --j) cue_clocks[j] = cue_clocks[j - 1];
    cue_clocks[i] = clock;
    ++cue_clock_count;
}
} // namespace

uint64_t golden_hash(uint64_t h, const uint8_t *p, size_t n) {
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

void golden_begin() {
    cue_clock_count = cues_seen = frames = 0;
    outgrown = false;
    first_t = -1;
    audio_hash = golden_hash_basis;
    for (int i = 0; i < scene_cue_count; ++i) add_cue_clock(scene_cues[i].time);
    for (int i = 0; i < overlay_cue_count; ++i) add_cue_clock(overlay_cues[i].time);
}

void golden_audio(const int16_t *samples, size_t count) {
    audio_hash = golden_hash(audio_hash, reinterpret_cast<const uint8_t *>(samples),
                             count * sizeof *samples);
}

void golden_frame(const uint8_t *canvas, int t, int clock) {
    if (first_t < 0) first_t = t, first_clock = clock;
    last_t = t;
    last_clock = clock;
    const uint64_t hash = golden_hash(golden_hash_basis, canvas, canvas_size);
    if (frames % golden_every == 0) {
        if (frames / golden_every < golden_max_kept)
            kept_clocks[frames / golden_every] = clock;
        else
            outgrown = true;
    }
    // the first frame at or after each cue's clock
    while (cues_seen < cue_clock_count && clock >= cue_clocks[cues_seen])
        cue_hashes[cues_seen++] = hash;
    ++frames;
}

bool golden_write(const char *path, uint64_t buffers) {
    if (outgrown) return false;
    FILE *g = std::fopen(path, "w");
    if (!g) return false;
    std::fprintf(
        g, "# Quellbrand golden record: regenerate only on purpose (see tests/whole/golden.sh)\n");
    std::fprintf(g, "frames %d\n", frames);
    std::fprintf(g, "first frame t %d clock %d\n", first_t, first_clock);
    std::fprintf(g, "last frame t %d clock %d\n", last_t, last_clock);
    std::fprintf(g, "audio %016llx %llu buffers\n", (unsigned long long)audio_hash,
                 (unsigned long long)buffers);
    for (int i = 0; i < cues_seen; ++i)
        std::fprintf(g, "at %04d %016llx\n", cue_clocks[i], (unsigned long long)cue_hashes[i]);
    for (int i = 0; i * golden_every < frames; ++i)
        std::fprintf(g, "frame %05d clock %d\n", i * golden_every, kept_clocks[i]);
    return std::fclose(g) == 0;
}
