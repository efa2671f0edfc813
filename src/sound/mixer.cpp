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

// A voice while it is mixed: its position and step as 32.32 numbers, the first position that
// wraps (past the loop end, or at the length), and its gain.
struct Cursor {
    const int8_t *data;
    uint64_t p;
    uint64_t step;
    uint64_t limit;
    uint32_t gain;
    uint32_t loop_start;
    bool looped;
};

Cursor cursor_of(const Voice &v) {
    Cursor c;
    c.data = v.sample_data;
    c.p = ((uint64_t)v.position << 32) | v.position_fraction;
    c.step = ((uint64_t)(uint32_t)v.step << 32) | v.step_fraction;
    c.looped = v.loop_flag != 0;
    c.limit = !c.looped                  ? (uint64_t)v.length << 32
              : v.loop_end == UINT32_MAX ? UINT64_MAX
                                         : ((uint64_t)v.loop_end + 1) << 32;
    c.gain = snd_gain(v.volume, master_level);
    c.loop_start = v.loop_start;
    return c;
}

void store_cursor(const Cursor &c, Voice &v) {
    v.position = (uint32_t)(c.p >> 32);
    v.position_fraction = (uint32_t)c.p;
    v.step = (int32_t)(uint32_t)(c.step >> 32);
    v.step_fraction = (uint32_t)c.step;
}

// How many of the next samples (at most most) advance without reaching the limit, so need no
// check: none when the position already lies beyond it (a shorter sample attached).
int plain_run(const Cursor &c, int most) {
    if (c.p >= c.limit) return 0;
    if (c.step != 0) {
        const uint64_t steps = (c.limit - c.p + c.step - 1) / c.step; // advances until p >= limit
        if (steps - 1 < (uint64_t)most) return (int)(steps - 1);
    }
    return most;
}

// One sample: the advance, and the wrap where it reaches the limit.
uint32_t checked_sample(Cursor &c) {
    c.p += c.step;
    if (c.p >= c.limit) {
        if (c.looped) {
            c.p = ((uint64_t)(c.loop_start + 1) << 32) | (uint32_t)c.p;
        } else {
            c.p = (uint32_t)c.p; // position 0, fraction kept
            c.step = 0;
        }
    }
    return (uint32_t)(int32_t)c.data[(uint32_t)(c.p >> 32)] * c.gain;
}

// A run of plain advances in two 32-bit halves: an add with carry, and the position as an index
// (it stays below the limit, so it never needs 32-bit wrapping).
struct Run {
    uint64_t position;
    uint32_t fraction;
    uint64_t whole;
    uint32_t part;
    explicit Run(const Cursor &c)
        : position(c.p >> 32), fraction((uint32_t)c.p), whole(c.step >> 32),
          part((uint32_t)c.step) {}
    uint64_t next() {
        const uint32_t carry = __builtin_add_overflow(fraction, part, &fraction);
        position += whole + carry;
        return position;
    }
    uint64_t p() const { return (position << 32) | fraction; }
};

// Accumulates in unsigned arithmetic: the same bits as signed addition, defined for any gain. The
// first voice mixed into a buffer stores instead of adding (no clearing pass). Between two wraps
// no check is needed, so the samples are mixed in runs that end where a position next passes its
// limit.
template <bool first> void put(uint32_t &out, uint32_t value) {
    out = first ? value : out + value;
}

template <bool first> void mix_one(Voice &v, int count) {
    Cursor c = cursor_of(v);
    uint32_t *out = reinterpret_cast<uint32_t *>(mix_buffer);
    int i = 0;
    while (i < count) {
        const int run = plain_run(c, count - i);
        Run r(c);
        const int8_t *data = c.data;
        uint32_t *o = out + i;
        for (int k = 0; k < run; ++k) put<first>(o[k], (uint32_t)(int32_t)data[r.next()] * c.gain);
        c.p = r.p();
        i += run;
        if (i == count) break;
        put<first>(out[i++], checked_sample(c));
    }
    store_cursor(c, v);
}

// Two voices in one pass: the buffer is read and written once for both.
template <bool first> void mix_two(Voice &va, Voice &vb, int count) {
    Cursor a = cursor_of(va), b = cursor_of(vb);
    uint32_t *out = reinterpret_cast<uint32_t *>(mix_buffer);
    int i = 0;
    while (i < count) {
        const int run_a = plain_run(a, count - i), run_b = plain_run(b, count - i);
        const int run = run_a < run_b ? run_a : run_b;
        Run ra(a), rb(b);
        const int8_t *data_a = a.data, *data_b = b.data;
        const uint32_t gain_a = a.gain, gain_b = b.gain;
        uint32_t *o = out + i;
        for (int k = 0; k < run; ++k)
            put<first>(o[k], (uint32_t)(int32_t)data_a[ra.next()] * gain_a +
                                 (uint32_t)(int32_t)data_b[rb.next()] * gain_b);
        a.p = ra.p();
        b.p = rb.p();
        i += run;
        if (i == count) break;
        // a voice whose run ends here reaches its limit with this advance; the other goes on
        const uint32_t sa = run_a == run
                                ? checked_sample(a)
                                : (uint32_t)(int32_t)a.data[(a.p += a.step) >> 32] * a.gain;
        const uint32_t sb = run_b == run
                                ? checked_sample(b)
                                : (uint32_t)(int32_t)b.data[(b.p += b.step) >> 32] * b.gain;
        put<first>(out[i++], sa + sb);
    }
    store_cursor(a, va);
    store_cursor(b, vb);
}

// Voices mixed two at a time where the processor has the registers for both (64-bit targets);
// one at a time on the handheld's ARM, whose 32-bit registers one voice fills.
constexpr bool mix_in_pairs = sizeof(void *) == 8;

// Mixes the voices into the first count samples of the accumulator (zero when none sounds).
void mix_voices(Voice *const *voices, int n, int count) {
    if (n == 0) {
        std::memset(mix_buffer, 0, sizeof(int32_t) * count);
        return;
    }
    int i = 0;
    if (mix_in_pairs && n >= 2) {
        mix_two<true>(*voices[0], *voices[1], count);
        for (i = 2; i + 1 < n; i += 2) mix_two<false>(*voices[i], *voices[i + 1], count);
    } else {
        mix_one<true>(*voices[0], count);
        i = 1;
    }
    for (; i < n; ++i) mix_one<false>(*voices[i], count);
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
        Voice *sounding[snd_voice_count];
        int voices = 0;
        for (int i = 0; i < voice_count; ++i)
            if (mixing_bank[i].length != 0 && mixing_bank[i].volume != 0)
                sounding[voices++] = &mixing_bank[i];
        mix_voices(sounding, voices, n);
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
