// The module loader: headers into the Module record, cells converted in place, samples registered.
#include "player/player.h"
#include "sound/driver.h"

#include <algorithm>
#include <cstring>

Module pt_module;
const char *pt_error = nullptr;
const char *const pt_error_unknown_type = "pt_takemod error: unknown module type!";

namespace {

struct Signature {
    char text[5];
    int32_t channels;
};
const Signature signature_table[] = {
    {"2CHN", 2},  {"4CHN", 4},  {"M.K.", 4},  {"M!K!", 4},  {"FLT4", 4},  {"FLT8", 8},
    {"OCTA", 8},  {"6CHN", 6},  {"8CHN", 8},  {"10CH", 10}, {"12CH", 12}, {"14CH", 14},
    {"16CH", 16}, {"18CH", 18}, {"20CH", 20}, {"22CH", 22}, {"24CH", 24}, {"26CH", 26},
    {"28CH", 28}, {"30CH", 30}, {"32CH", 32}, {"STOP", 0},
};
constexpr int signature_bytes = 4;
constexpr int title_bytes = 20;
constexpr int sample_name_bytes = 22;
constexpr int max_restart = 126;
constexpr int max_volume = 64;
constexpr int loop_flag_min_length = 2;

int read_word() {
    const uint8_t *p = pt_module.bytes + pt_module.read_offset;
    pt_module.read_offset += 2;
    return (p[0] << 8) | p[1];
}

int read_byte() {
    return pt_module.bytes[pt_module.read_offset++];
}

void skip(int n) {
    pt_module.read_offset += n;
}

int fail(const char *why) {
    pt_error = why;
    return 0;
}

} // namespace

void pt_convert_pattern(uint8_t *pattern, int channels) {
    // A cell's note is the number of table periods above its 12-bit period: counted once for every
    // period, then looked up per cell.
    constexpr int stored_periods = 4096;
    static uint8_t note_for_period[stored_periods];
    static bool counted = false;
    if (!counted) {
        int note = 0;
        for (int period = stored_periods - 1; period >= 0; --period) {
            while (note < pt_notes && period_table[0][note] > period) ++note;
            note_for_period[period] = (uint8_t)note;
        }
        counted = true;
    }
    for (int i = 0; i < channels * pt_rows; ++i) {
        uint8_t *cell = pattern + i * pt_cell_bytes;
        const int period = ((cell[0] & 0x0f) << 8) + cell[1];
        cell[0] = (uint8_t)((cell[0] & 0xf0) + (cell[2] >> 4));
        cell[2] &= 0x0f;
        cell[1] = note_for_period[period];
    }
}

int pt_takemod(uint8_t *bytes, size_t size) {
    if (size < (size_t)pt_header_bytes)
        return fail("pt_takemod error: module shorter than its headers!");
    Module &m = pt_module;
    m.bytes = bytes;
    m.read_offset = 0;
    skip(title_bytes);
    for (int i = 1; i <= pt_max_samples; ++i) {
        ModSample &s = m.samples[i];
        skip(sample_name_bytes);
        s.length = read_word() * 2;
        s.finetune = (uint8_t)(read_byte() & 0x0f);
        const int volume = read_byte();
        s.volume = volume > max_volume ? max_volume : volume;
        s.loop_start = read_word() * 2;
        s.loop_length = read_word() * 2;
    }
    m.song_length = (uint8_t)read_byte();
    m.restart_position = read_byte();
    if (m.restart_position > max_restart) m.restart_position = 0;
    for (uint8_t &o : m.order_list) o = (uint8_t)read_byte();
    for (int i = 0; i < signature_bytes; ++i) m.signature[i] = (char)read_byte();
    m.signature[signature_bytes] = '\0';

    const Signature *sig = signature_table;
    while (std::strcmp(sig->text, "STOP") != 0 &&
           std::memcmp(sig->text, m.signature, signature_bytes) != 0)
        ++sig;
    m.channels = sig->channels;
    if (m.channels == 0) return fail(pt_error_unknown_type);

    m.highest_pattern = 0;
    for (uint8_t o : m.order_list)
        if (o > m.highest_pattern) m.highest_pattern = o;
    if (m.highest_pattern >= pt_max_patterns)
        return fail("pt_takemod error: order list names a pattern beyond 127!");

    // Nothing is converted or registered unless every announced byte is there.
    const size_t pattern_bytes = (size_t)m.channels * pt_rows * pt_cell_bytes;
    size_t needed = (size_t)m.read_offset + (m.highest_pattern + 1) * pattern_bytes;
    for (int i = 1; i <= pt_max_samples; ++i) needed += (size_t)m.samples[i].length;
    if (size < needed) return fail("pt_takemod error: module data ends early!");

    for (int p = 0; p <= m.highest_pattern; ++p) {
        m.pattern_table[p] = reinterpret_cast<PatternCell *>(m.bytes + m.read_offset);
        pt_convert_pattern(m.bytes + m.read_offset, m.channels);
        m.read_offset += (int32_t)pattern_bytes;
    }
    for (int i = 1; i <= pt_max_samples; ++i) {
        const ModSample &s = m.samples[i];
        if (s.length == 0) continue;
        // A loop past the end of its sample is cut there; one that starts beyond it is dropped.
        uint32_t loop_start = (uint32_t)s.loop_start;
        uint32_t loop_end = (uint32_t)(s.loop_start + s.loop_length);
        int loop_flag = s.loop_length > loop_flag_min_length ? 1 : 0;
        if (loop_end > (uint32_t)s.length) {
            loop_end = (uint32_t)s.length;
            if (loop_start >= loop_end) {
                loop_start = loop_end;
                loop_flag = 0;
            }
        }
        snd_voice_ops.set_sample(i, reinterpret_cast<const int8_t *>(m.bytes + m.read_offset),
                                 (uint32_t)s.length, loop_start, loop_end, loop_flag);
        m.read_offset += s.length;
    }
    snd_voice_ops.set_voices(m.channels);
    return 1;
}
