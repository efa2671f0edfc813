// The recording voice-operation table and the module helpers shared by the player tests.
#include "recorder.h"

std::vector<Call> calls;

namespace {
int selected = -1;
int rec_sample(int slot, const int8_t *, uint32_t length, uint32_t loop_start, uint32_t loop_end,
               int loop) {
    calls.push_back({"sample", slot * 1000000LL + length, -1});
    calls.push_back({"loop", (long long)loop_start * 1000000LL + loop_end * 10LL + loop, slot});
    return 1;
}
void rec_select(int v) {
    selected = v;
    calls.push_back({"select", v, v});
}
void rec_play(int s) {
    calls.push_back({"play", s, selected});
}
void rec_period(int p) {
    calls.push_back({"period", p, selected});
}
void rec_volume(int v) {
    calls.push_back({"volume", v, selected});
}
void rec_pan(int p) {
    calls.push_back({"pan", p, selected});
}
void rec_position(uint32_t p) {
    calls.push_back({"position", p, selected});
}
void rec_master(int m) {
    calls.push_back({"master", m, -1});
}
void rec_voices(int n) {
    calls.push_back({"voices", n, -1});
}
const SndVoiceOps recorder = {rec_sample, rec_select,   rec_play,   rec_period, rec_volume,
                              rec_pan,    rec_position, rec_master, rec_voices};
std::vector<uint8_t> module_buffer;
} // namespace

void install_recorder() {
    snd_voice_ops = recorder;
    calls.clear();
    selected = -1;
}

std::vector<Call> calls_of(int voice, const std::string &op) {
    std::vector<Call> out;
    for (const Call &c : calls)
        if (c.voice == voice && c.op != "select" && (op.empty() || c.op == op)) out.push_back(c);
    return out;
}

std::vector<long long> values_of(int voice, const std::string &op) {
    std::vector<long long> out;
    for (const Call &c : calls_of(voice, op)) out.push_back(c.a);
    return out;
}

ModWriterSong small_song(int patterns) {
    ModWriterSong s;
    ModWriterSample looped, shot;
    looped.data.assign(64, 10);
    looped.loop_start = 16;
    looped.loop_length = 32;
    looped.volume = 40;
    shot.data.assign(32, -5);
    shot.volume = 50;
    shot.finetune = 3;
    s.samples = {looped, shot};
    for (int p = 0; p < patterns; ++p) {
        s.patterns.push_back(mod_empty_pattern(4));
        s.order.push_back(p);
    }
    return s;
}

ModWriterCell cell(int sample, int note, int command, int param) {
    return {sample, note >= 0 ? mod_period(note) : 0, command, param};
}

int load(const ModWriterSong &song) {
    module_buffer = mod_write(song);
    const size_t size = module_buffer.size();
    module_buffer.push_back(0);
    return pt_load(module_buffer.data(), size);
}

void ticks(int n) {
    for (int i = 0; i < n; ++i) pt_tick();
}
