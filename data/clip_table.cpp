// The clip table over the embedded clip frames.
#include "demo/clip.h"
#include "data/embedded.h"

#include <cstddef>

namespace {
constexpr int32_t counts[clip_table_size] = {63, 35, 10, 20, 45, 80, 80, 80, 80, 80};

constexpr size_t frame_offset(int clip) {
    size_t frames = 0;
    for (int i = 0; i < clip; ++i) frames += (size_t)counts[i];
    return frames * clip_frame_bytes;
}
static_assert(frame_offset(clip_table_size) == 573u * clip_frame_bytes, "573 frames in all");

constexpr ClipRecord record(int clip) {
    return {0.0f, "", clip_frames + frame_offset(clip), counts[clip]};
}
} // namespace

int32_t clip_count = clip_table_size;

ClipRecord clip_table[clip_table_size] = {record(0), record(1), record(2), record(3), record(4),
                                          record(5), record(6), record(7), record(8), record(9)};
