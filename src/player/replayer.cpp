// The replayer: row sequencing, note starts and the pattern effects, one tick at a time.
#include "player/player.h"
#include "sound/driver.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

PlayerState pt_state;
ChannelState pt_channels[pt_max_channels];
int16_t waveform_table[4][64];
uint8_t default_pan[pt_max_channels] = {7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7,
                                        7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7, 7, 9, 9, 7};

namespace {

// Position and row published together after every change, so a reader on another thread never
// pairs an old position with a new row or sees a row in passing.
std::atomic<int32_t> published_clock{0};
bool song_loaded = false;

void publish() {
    published_clock.store(pt_state.position * 100 + pt_state.row, std::memory_order_release);
}

constexpr int16_t sine_quarter[17] = {0,   24,  49,  74,  97,  120, 141, 161, 180,
                                      197, 212, 224, 235, 244, 250, 253, 255};
constexpr uint8_t pan_pattern[4] = {7, 9, 9, 7};
constexpr int pan_scale = 16;
constexpr int last_row = pt_rows - 1;
constexpr int max_volume = 64;
constexpr int waveform_mask = 63;
constexpr int modulation_divisor = 127;
constexpr int sample_offset_unit = 256;

enum Waveform { wave_sine, wave_ramp, wave_square, wave_random };

enum Command {
    cmd_arpeggio = 0x0,
    cmd_slide_up,
    cmd_slide_down,
    cmd_portamento,
    cmd_vibrato,
    cmd_portamento_volume,
    cmd_vibrato_volume,
    cmd_tremolo,
    cmd_pan,
    cmd_offset,
    cmd_volume_slide,
    cmd_jump,
    cmd_volume,
    cmd_break,
    cmd_extended,
    cmd_speed,
};
enum Extended {
    ext_fine_up = 0x1,
    ext_fine_down = 0x2,
    ext_glissando = 0x3,
    ext_vibrato_wave = 0x4,
    ext_finetune = 0x5,
    ext_loop = 0x6,
    ext_tremolo_wave = 0x7,
    ext_pan = 0x8,
    ext_retrigger = 0x9,
    ext_fine_volume_up = 0xa,
    ext_fine_volume_down = 0xb,
    ext_cut = 0xc,
    ext_delay = 0xd,
    ext_pattern_delay = 0xe,
};
constexpr int speed_limit = 31; // F parameters above this set the tempo

void build_constant_waveforms() {
    for (int i = 0; i <= 16; ++i) waveform_table[wave_sine][i] = sine_quarter[i];
    for (int i = 17; i < 32; ++i) waveform_table[wave_sine][i] = sine_quarter[32 - i];
    for (int i = 0; i < 32; ++i)
        waveform_table[wave_sine][32 + i] = (int16_t)-waveform_table[wave_sine][i];
    for (int i = 0; i < 64; ++i)
        waveform_table[wave_square][i] = i < 16 ? 0 : i < 32 ? 255 : i < 48 ? 0 : -256;
}

int random_entry() {
    return std::rand() % 511 - 256;
}

int note_period(const ChannelState &ch, int note) {
    return period_table[ch.finetune & 0x0f][note > pt_notes ? pt_notes : note];
}

void send_period(int p) {
    snd_voice_ops.set_period(p);
}
void send_volume(int v) {
    snd_voice_ops.set_volume(v);
}

int clamp_volume(int v) {
    return v < 0 ? 0 : (v > max_volume ? max_volume : v);
}

void volume_slide(ChannelState &ch, int p) {
    ch.volume = clamp_volume(p > 15 ? ch.volume + (p >> 4) : ch.volume - (p & 15));
    send_volume(ch.volume);
}

void slide_to_target(ChannelState &ch) {
    if (ch.period < ch.target_period) {
        ch.period += ch.portamento_speed;
        if (ch.period > ch.target_period) ch.period = ch.target_period;
    } else if (ch.period > ch.target_period) {
        ch.period -= ch.portamento_speed;
        if (ch.period < ch.target_period) ch.period = ch.target_period;
    }
}

int glissando_period(const ChannelState &ch) {
    const uint16_t *r = period_table[ch.finetune & 0x0f];
    int k = pt_notes;
    while (k > 0 && ch.period > r[k]) --k;
    return r[k];
}

void vibrato(ChannelState &ch) {
    const int w = waveform_table[pt_state.vibrato_waveform][ch.vibrato_position];
    send_period(ch.period + ch.vibrato_depth * w / modulation_divisor);
    ch.vibrato_position = (ch.vibrato_position + ch.vibrato_speed) & waveform_mask;
}

void tremolo(ChannelState &ch) {
    const int w = waveform_table[pt_state.tremolo_waveform][ch.tremolo_position];
    const int delta = ch.tremolo_depth * w / modulation_divisor;
    ch.tremolo_position = (ch.tremolo_position + ch.tremolo_speed) & waveform_mask;
    send_volume(clamp_volume(ch.volume + delta));
}

void restart_note(ChannelState &ch, int note) {
    ch.period = note_period(ch, note);
    send_volume(ch.volume);
    send_period(ch.period);
    snd_voice_ops.set_position(0);
}

bool on_late_tick(int lo) {
    return pt_state.tick == lo || (pt_state.tick == pt_state.speed - 1 && lo >= pt_state.speed);
}

void pattern_loop(ChannelState &ch, int lo) {
    if (lo == 0) {
        ch.loop_start_row = pt_state.row;
    } else if (ch.loop_count == 0) {
        ch.loop_count = lo;
        pt_state.row = ch.loop_start_row - 1;
    } else if (--ch.loop_count > 0) {
        pt_state.row = ch.loop_start_row - 1;
    }
}

void tick0_effect(int c, ChannelState &ch, const PatternCell &cell) {
    const int p = cell.param, hi = p >> 4, lo = p & 15;
    switch (cell.command) {
    case cmd_arpeggio:
        if (p != 0) send_period(note_period(ch, ch.note));
        break;
    case cmd_pan:
        ch.pan = p;
        snd_voice_ops.set_pan(p);
        break;
    case cmd_offset:
        snd_voice_ops.set_position((uint32_t)p * sample_offset_unit);
        break;
    case cmd_jump:
        pt_state.row = last_row;
        pt_state.position = p - 1;
        break;
    case cmd_volume:
        ch.volume = p;
        send_volume(p);
        break;
    case cmd_break: {
        // A break row that does not fit the pattern starts the next pattern at its top.
        const int row = hi * 10 + lo;
        pt_state.row = last_row;
        pt_state.break_row = row > last_row ? 0 : row;
        break;
    }
    case cmd_speed:
        if (p <= speed_limit)
            pt_state.speed = p;
        else
            pt_state.tempo = p;
        break;
    case cmd_extended:
        switch (hi) {
        case ext_fine_up:
            if (ch.period >= pt_period_min + 1) send_period(--ch.period);
            break;
        case ext_fine_down:
            if (ch.period <= pt_period_max - 1) send_period(++ch.period);
            break;
        case ext_glissando:
            ch.glissando = lo;
            break;
        case ext_vibrato_wave:
            pt_state.vibrato_waveform = lo & 3;
            if (lo <= 3) ch.vibrato_position = 0;
            break;
        case ext_finetune:
            ch.finetune = lo;
            break;
        case ext_loop:
            pattern_loop(ch, lo);
            break;
        case ext_tremolo_wave:
            pt_state.tremolo_waveform = lo & 3;
            if (lo <= 3) ch.tremolo_position = 0;
            break;
        case ext_pan:
            default_pan[c] = (uint8_t)lo;
            snd_voice_ops.set_pan(lo * pan_scale);
            break;
        case ext_fine_volume_up:
            if (ch.volume <= max_volume - 1) send_volume(++ch.volume);
            break;
        case ext_fine_volume_down:
            if (ch.volume > 0) send_volume(--ch.volume);
            break;
        case ext_pattern_delay:
            ch.delay_count = lo;
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
}

void later_effect(ChannelState &ch, const PatternCell &cell) {
    const int p = cell.param, hi = p >> 4, lo = p & 15;
    switch (cell.command) {
    case cmd_arpeggio:
        if (p != 0) {
            const int offsets[3] = {0, hi, lo};
            send_period(note_period(ch, ch.note + offsets[pt_state.tick % 3]));
        }
        break;
    case cmd_slide_up:
        ch.period -= p;
        if (ch.period <= pt_period_min - 1) ch.period = pt_period_min;
        send_period(ch.period);
        break;
    case cmd_slide_down:
        ch.period += p;
        if (ch.period > pt_period_max) ch.period = pt_period_max;
        send_period(ch.period);
        break;
    case cmd_portamento:
        if (p != 0) ch.portamento_speed = p;
        slide_to_target(ch);
        send_period(ch.glissando ? glissando_period(ch) : ch.period);
        break;
    case cmd_vibrato:
        if (lo != 0) ch.vibrato_depth = lo;
        if (hi != 0) ch.vibrato_speed = hi;
        vibrato(ch);
        break;
    case cmd_portamento_volume:
        slide_to_target(ch);
        send_period(ch.period);
        volume_slide(ch, p);
        break;
    case cmd_vibrato_volume:
        vibrato(ch);
        volume_slide(ch, p);
        break;
    case cmd_tremolo:
        if (lo != 0) ch.tremolo_depth = 2 * lo;
        if (hi != 0) ch.tremolo_speed = hi;
        tremolo(ch);
        break;
    case cmd_volume_slide:
        volume_slide(ch, p);
        break;
    case cmd_extended:
        switch (hi) {
        case ext_retrigger:
            if (lo != 0 && cell.note < pt_notes && pt_state.tick % lo == 0)
                restart_note(ch, cell.note);
            break;
        case ext_cut:
            if (on_late_tick(lo)) send_volume(0);
            break;
        case ext_delay:
            if (cell.note < pt_notes && on_late_tick(lo)) {
                ch.note = cell.note;
                restart_note(ch, cell.note);
            }
            break;
        default:
            break;
        }
        break;
    default:
        break;
    }
}

void process_channel(int c, const PatternCell &cell) {
    ChannelState &ch = pt_channels[c];
    snd_voice_ops.select_voice(c);
    if (pt_state.tick != 0) {
        later_effect(ch, cell);
        return;
    }
    // The file's high nibble can name samples up to 255; only 1..31 exist.
    if (cell.sample != 0 && cell.sample <= pt_max_samples) {
        ch.sample = cell.sample;
        ch.pan = default_pan[c] * pan_scale;
        ch.volume = pt_module.samples[cell.sample].volume;
        if (cell.command != cmd_volume) send_volume(ch.volume);
        if (cell.command != cmd_pan) snd_voice_ops.set_pan(ch.pan);
        snd_voice_ops.play_sample(cell.sample);
    }
    if (cell.note < pt_notes) {
        const int f = ch.sample != 0 ? pt_module.samples[ch.sample].finetune : 0;
        const int p = period_table[f][cell.note];
        ch.finetune = f;
        ch.target_period = p;
        if (cell.command == cmd_portamento || cell.command == cmd_portamento_volume) {
            // the slide reaches the note
        } else if (cell.command == cmd_extended && (cell.param >> 4) == ext_delay) {
            return; // started later by the note delay
        } else {
            ch.period = p;
            send_period(p);
            if (cell.command != cmd_offset) snd_voice_ops.set_position(0);
            ch.note = cell.note;
        }
    }
    tick0_effect(c, ch, cell);
}

// Returns false when a pattern delay holds the row.
bool row_step() {
    pt_state.tick = 0;
    bool delayed = false;
    for (int c = 0; c < pt_module.channels; ++c)
        if (pt_channels[c].delay_count > 0) {
            --pt_channels[c].delay_count;
            delayed = true;
        }
    if (delayed) return false;
    if (++pt_state.row > last_row) {
        ++pt_state.position;
        pt_state.row = pt_state.break_row;
        pt_state.break_row = 0;
        if (pt_state.position >= pt_module.song_length)
            pt_state.position = pt_module.restart_position;
    }
    // Only a malformed song gets here with a position off the order list (a length above 128, or
    // a jump beyond the end whose row a pattern loop took back): it goes to the restart position.
    if (pt_state.position < 0 || pt_state.position >= pt_module.song_length ||
        pt_state.position >= pt_order_entries)
        pt_state.position = pt_module.restart_position;
    pt_state.current_pattern = pt_module.order_list[pt_state.position];
    pt_state.row_pointer =
        pt_module.pattern_table[pt_state.current_pattern] + pt_state.row * pt_module.channels;
    return true;
}

} // namespace

void pt_reset() {
    for (ChannelState &ch : pt_channels) {
        const int32_t pan = ch.pan, glissando = ch.glissando;
        ch = ChannelState{};
        ch.pan = pan;
        ch.glissando = glissando;
    }
    pt_state.position = -1;
    pt_state.speed = 6;
    pt_state.tempo = 125;
    pt_state.tick = 5;
    pt_state.current_pattern = 0;
    pt_state.row = last_row;
    pt_state.break_row = 0;
    pt_state.row_pointer = nullptr;
    pt_state.vibrato_waveform = wave_sine;
    pt_state.tremolo_waveform = wave_sine;
    build_constant_waveforms();
    waveform_table[wave_random][0] = (int16_t)random_entry();
    waveform_table[wave_ramp][0] = 255;
    for (int i = 1; i < 64; ++i) {
        waveform_table[wave_ramp][i] = (int16_t)(255 - 8 * i);
        waveform_table[wave_random][i] = (int16_t)random_entry();
    }
    publish();
}

int pt_load(uint8_t *bytes, size_t size) {
    pt_state.position = 0;
    pt_state.row = 0;
    publish();
    song_loaded = false;
    if (!pt_takemod(bytes, size)) return 0;
    pt_reset();
    song_loaded = true;
    return 1;
}

void pt_tick() {
    if (!song_loaded) return;
    if (pt_state.speed != 0 && ++pt_state.tick >= pt_state.speed && !row_step()) {
        publish();
        return;
    }
    if (pt_state.row_pointer)
        for (int c = 0; c < pt_module.channels; ++c) process_channel(c, pt_state.row_pointer[c]);
    publish();
}

int pt_song_clock() {
    return published_clock.load(std::memory_order_acquire);
}

void pt_clear() {
    std::memset(&pt_module, 0, sizeof pt_module);
    std::memset(&pt_state, 0, sizeof pt_state);
    std::memset(pt_channels, 0, sizeof pt_channels);
    for (int c = 0; c < pt_max_channels; ++c) default_pan[c] = pan_pattern[c % 4];
    pt_error = nullptr;
    song_loaded = false;
    published_clock.store(0);
}
