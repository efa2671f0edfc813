// Builds ProTracker modules in memory.
#include "modwriter.h"

#include <algorithm>

namespace {

void put_word(std::vector<uint8_t> &out, int v) {
    out.push_back((uint8_t)((v >> 8) & 0xff));
    out.push_back((uint8_t)(v & 0xff));
}

void put_text(std::vector<uint8_t> &out, const std::string &s, size_t n) {
    for (size_t i = 0; i < n; ++i) out.push_back(i < s.size() ? (uint8_t)s[i] : 0);
}

// Published middle octaves at finetune 0; the outer octaves double and halve them.
const int middle_octaves[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                                428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                                214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

} // namespace

std::vector<ModWriterCell> mod_empty_pattern(int channels) {
    return std::vector<ModWriterCell>((size_t)64 * channels);
}

int mod_period(int note) {
    if (note < 12) return 4 * middle_octaves[note];
    if (note < 24) return 2 * middle_octaves[note - 12];
    if (note < 60) return middle_octaves[note - 24];
    if (note < 72) return middle_octaves[note - 36] / 2;
    return middle_octaves[std::min(note, 83) - 48] / 4;
}

std::vector<uint8_t> mod_write(const ModWriterSong &song) {
    std::vector<uint8_t> out;
    put_text(out, song.title, 20);
    for (int i = 0; i < 31; ++i) {
        const ModWriterSample empty;
        const ModWriterSample &s = i < (int)song.samples.size() ? song.samples[i] : empty;
        put_text(out, s.name, 22);
        put_word(out, (int)(s.data.size() / 2));
        out.push_back((uint8_t)(s.finetune & 0x0f));
        out.push_back((uint8_t)s.volume);
        put_word(out, s.loop_start / 2);
        put_word(out, s.loop_length > 2 ? s.loop_length / 2 : (s.data.empty() ? 0 : 1));
    }
    out.push_back((uint8_t)song.order.size());
    out.push_back((uint8_t)song.restart);
    std::vector<int> order(song.order);
    order.insert(order.end(), song.order_tail.begin(), song.order_tail.end());
    for (int i = 0; i < 128; ++i) out.push_back(i < (int)order.size() ? (uint8_t)order[i] : 0);
    put_text(out, song.signature, 4);
    int highest = 0;
    for (int o : order) highest = std::max(highest, o);
    for (int p = 0; p <= highest; ++p) {
        const std::vector<ModWriterCell> blank = mod_empty_pattern(song.channels);
        const std::vector<ModWriterCell> &cells =
            p < (int)song.patterns.size() ? song.patterns[p] : blank;
        for (int k = 0; k < 64 * song.channels; ++k) {
            const ModWriterCell c = k < (int)cells.size() ? cells[k] : ModWriterCell{};
            out.push_back((uint8_t)((c.sample & 0xf0) | ((c.period >> 8) & 0x0f)));
            out.push_back((uint8_t)(c.period & 0xff));
            out.push_back((uint8_t)(((c.sample & 0x0f) << 4) | (c.command & 0x0f)));
            out.push_back((uint8_t)c.param);
        }
    }
    for (const ModWriterSample &s : song.samples)
        for (int8_t v : s.data) out.push_back((uint8_t)v);
    return out;
}
