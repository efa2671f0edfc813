// The software mixer: nearest-sample resampling of up to 32 voices into one mono stream.
#include "sound/mixer.h"

#include <cmath>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

Voice pending_bank[snd_voice_count];
Voice mixing_bank[snd_voice_count];
Voice *selected_voice = pending_bank;
SampleSlot sample_slots[snd_slot_count];
int mixing_rate = snd_default_rate;
int voice_count = snd_default_voices;
int master_level = snd_default_master;
alignas(16) int32_t mix_buffer[snd_mix_buffer_samples];

constexpr int32_t reset_pan = 127;
constexpr int fraction_bits = 24;
constexpr int fraction_shift = 8;

Voice reset_voice() {
    Voice v{};
    v.pan = reset_pan;
    v.period_changed = 1;
    v.position_changed = 1;
    return v;
}

// Field by field: the position and step are taken only when the replayer changed them.
constexpr size_t voice_fields = 14;
static_assert(sizeof(Voice) == (sizeof(const int8_t *) + (voice_fields - 1) * sizeof(int32_t) +
                                alignof(Voice) - 1) /
                                   alignof(Voice) * alignof(Voice),
              "every field of a Voice is copied below");

void copy_voice(Voice &pending, Voice &mixing) {
    mixing.sample_data = pending.sample_data;
    mixing.slot_index = pending.slot_index;
    mixing.volume = pending.volume;
    mixing.loop_start = pending.loop_start;
    mixing.loop_end = pending.loop_end;
    mixing.loop_flag = pending.loop_flag;
    mixing.length = pending.length;
    mixing.pan = pending.pan;
    mixing.period_changed = pending.period_changed;
    mixing.position_changed = pending.position_changed;
    if (pending.position_changed) {
        pending.position_changed = 0;
        mixing.position = pending.position;
        mixing.position_fraction = pending.position_fraction;
    }
    if (pending.period_changed) {
        pending.period_changed = 0;
        mixing.step = pending.step;
        mixing.step_fraction = pending.step_fraction;
    }
}

// Accumulates in unsigned arithmetic: the same bits as signed addition, defined for any gain.
// The position and its fraction travel as one 32.32 number; between two wraps no check is needed,
// so the samples are mixed in runs that end where the position next passes its limit.
void mix_voice(Voice &v, int count) {
    const uint32_t gain = snd_gain(v.volume, master_level);
    const int8_t *data = v.sample_data;
    uint64_t p = ((uint64_t)v.position << 32) | v.position_fraction;
    uint64_t step = ((uint64_t)(uint32_t)v.step << 32) | v.step_fraction;
    uint32_t *out = reinterpret_cast<uint32_t *>(mix_buffer);
    const bool looped = v.loop_flag != 0;
    // the first position that wraps: past the loop end, or at the length
    const uint64_t limit = !looped                    ? (uint64_t)v.length << 32
                           : v.loop_end == UINT32_MAX ? UINT64_MAX
                                                      : ((uint64_t)v.loop_end + 1) << 32;
    int i = 0;
    while (i < count) {
        int run = count - i;
        if (p >= limit) {
            run = 0; // already past it (a shorter sample attached): the next advance wraps
        } else if (step != 0) {
            const uint64_t steps = (limit - p + step - 1) / step; // advances until p >= limit
            if (steps - 1 < (uint64_t)run) run = (int)(steps - 1);
        }
        // the run itself in two 32-bit halves: an add with carry, and the position as an index
        uint64_t position = p >> 32; // stays below the limit, so it never needs 32-bit wrapping
        uint32_t fraction = (uint32_t)p;
        const uint64_t whole = step >> 32;
        const uint32_t part = (uint32_t)step;
        uint32_t *o = out + i;
        for (int k = 0; k < run; ++k) {
            const uint32_t carry = __builtin_add_overflow(fraction, part, &fraction);
            position += whole + carry;
            o[k] += (uint32_t)(int32_t)data[position] * gain;
        }
        p = ((uint64_t)position << 32) | fraction;
        i += run;
        if (i == count) break;
        // this advance reaches the limit (or the position already lies beyond it)
        p += step;
        if (p >= limit) {
            if (looped) {
                p = ((uint64_t)(v.loop_start + 1) << 32) | (uint32_t)p;
            } else {
                p = (uint32_t)p; // position 0, fraction kept
                step = 0;
            }
        }
        out[i] += (uint32_t)(int32_t)data[(uint32_t)(p >> 32)] * gain;
        ++i;
    }
    v.position = (uint32_t)(p >> 32);
    v.position_fraction = (uint32_t)p;
    v.step = (int32_t)(uint32_t)(step >> 32);
    v.step_fraction = (uint32_t)step;
}

void convert(void *buffer, int offset, int count, int sixteen_bit) {
    if (sixteen_bit) {
        int16_t *out = static_cast<int16_t *>(buffer) + offset;
        int i = 0;
#if defined(__SSE2__)
        // the saturating pack is the clamp to -32768..32767
        for (; i + 8 <= count; i += 8) {
            const __m128i lo = _mm_load_si128(reinterpret_cast<const __m128i *>(mix_buffer + i));
            const __m128i hi =
                _mm_load_si128(reinterpret_cast<const __m128i *>(mix_buffer + i + 4));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_packs_epi32(lo, hi));
        }
#endif
        for (; i < count; ++i) {
            const int32_t v = mix_buffer[i];
            out[i] = (int16_t)(v > 32767 ? 32767 : (v < -32768 ? -32768 : v));
        }
    } else {
        uint8_t *out = static_cast<uint8_t *>(buffer) + offset;
        for (int i = 0; i < count; ++i) {
            const int32_t v = mix_buffer[i] >> 9;
            out[i] = (uint8_t)((v > 127 ? 127 : (v < -128 ? -128 : v)) + 128);
        }
    }
}

} // namespace

uint32_t snd_gain(int volume, int master) {
    return (((uint32_t)volume * 255u * (uint32_t)master) >> 7) / 63u;
}

void snd_reset(int rate) {
    mixing_rate = rate;
    for (int i = 0; i < snd_voice_count; ++i) {
        pending_bank[i] = reset_voice();
        mixing_bank[i] = reset_voice();
    }
    for (SampleSlot &s : sample_slots) s = SampleSlot{};
}

void snd_mix(void *buffer, int count, int sixteen_bit) {
    for (int i = 0; i < voice_count; ++i) copy_voice(pending_bank[i], mixing_bank[i]);
    // Requests larger than the accumulator are mixed in pieces; the result is the same.
    for (int done = 0; done < count;) {
        const int n = count - done < snd_mix_buffer_samples ? count - done : snd_mix_buffer_samples;
        std::memset(mix_buffer, 0, sizeof(int32_t) * n);
        for (int i = 0; i < voice_count; ++i) {
            Voice &v = mixing_bank[i];
            if (v.length != 0 && v.volume != 0) mix_voice(v, n);
        }
        convert(buffer, done, n, sixteen_bit);
        done += n;
    }
}

int snd_set_sample(int slot, const int8_t *data, uint32_t length, uint32_t loop_start,
                   uint32_t loop_end, int loop_flag) {
    sample_slots[slot] = SampleSlot{data, length, loop_start, loop_end, loop_flag};
    return 1;
}

void snd_select_voice(int voice) {
    selected_voice = &pending_bank[voice];
}

void snd_play_sample(int slot) {
    const SampleSlot &s = sample_slots[slot];
    Voice &v = *selected_voice;
    v.slot_index = slot;
    v.sample_data = s.sample_data;
    v.length = s.length;
    v.loop_start = s.loop_start;
    v.loop_end = s.loop_end;
    v.loop_flag = s.loop_flag;
}

void snd_set_period(int period) {
    Voice &v = *selected_voice;
    // Vibrato can carry the shortest periods below 1; those stop the voice like period 0.
    if (period <= 0) {
        v.step = 0;
        v.step_fraction = 0;
    } else {
        v.step = (int32_t)((snd_amiga_clock / (uint32_t)period) / (uint32_t)mixing_rate);
        double whole;
        const double part =
            std::modf((double)snd_amiga_clock / ((double)period * (double)mixing_rate), &whole);
        v.step_fraction = (uint32_t)(part * (double)(1u << fraction_bits)) << fraction_shift;
    }
    v.period_changed = 1;
}

void snd_set_volume(int volume) {
    selected_voice->volume = volume;
}

void snd_set_pan(int pan) {
    selected_voice->pan = pan;
}

void snd_set_position(uint32_t offset) {
    Voice &v = *selected_voice;
    if (offset > v.loop_end) v.loop_flag = 0;
    if (offset < v.length) {
        v.position = offset;
        v.position_fraction = 0;
        v.position_changed = 1;
    }
}

void snd_set_master_volume(int level) {
    master_level = level >= snd_master_cap ? snd_master_cap : level;
}

void snd_set_voices(int count) {
    voice_count = count < 0 ? 0 : (count > snd_voice_count ? snd_voice_count : count);
}

const Voice &snd_pending_voice(int voice) {
    return pending_bank[voice];
}
const Voice &snd_mixing_voice(int voice) {
    return mixing_bank[voice];
}
const SampleSlot &snd_sample_slot(int slot) {
    return sample_slots[slot];
}
int snd_mixing_rate() {
    return mixing_rate;
}
int snd_master_level() {
    return master_level;
}
int snd_active_voices() {
    return voice_count;
}

void snd_mixer_clear() {
    std::memset(pending_bank, 0, sizeof pending_bank);
    std::memset(mixing_bank, 0, sizeof mixing_bank);
    std::memset(sample_slots, 0, sizeof sample_slots);
    selected_voice = pending_bank;
    mixing_rate = snd_default_rate;
    voice_count = snd_default_voices;
    master_level = snd_default_master;
}
