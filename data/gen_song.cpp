// Composes the demo's song, synthesises its instruments and writes it as a four-channel module.
//
// The replayer runs 41 ticks a second at speed 6: a row is 6/41 s, a 64-row pattern about 9.4 s.
// The picture follows the song clock (position x 100 + row), so the music turns where the
// timeline turns:
//
// clang-format off
// pos  music                                          timeline rows it meets
//  0   intro: Dm pad swells, a bell calls             0 slow horse (clip 7)
//  1   Gm / A, bell phrase; title hit at row 32       0 "Tessaline & Vek present", 32 title, 48 flip
//  2   build: bass enters, hats from row 32           0 ripples on the backdrop, 32 fish
//  3   kick enters at 32, snare roll 48..63           0 fast ripples, 32 runner on film, 48 slow, 60 fast
//  4   main theme A, full groove                      0 the spring, 31 clear feedback, 40 fire trails
//  5   theme A answer, stabs on the flips             0, 2, 16, 32, 34, 60 spring and fire, flips
//  6   steam: pad and bell arpeggios, drums at 32     0 steam, 31 fire trails
//  7   steam, half time from row 32                   0 steam, 31 slow spring
//  8   theme B, a gallop                              0 horse on film, 16 blur, 32 film, 38 "in motion"
//  9   theme B, fast fill at 48, stop at 56           as 8, 48 fast, 56 slow
// 10   beat section: four to the floor, stab hits     0 crystal "QUELL", 12 "BRAND", 32 burst, 42, 44, 56
// 11   beat section with stutters at 1-3 and 32-36    1-3 and 32-36 rewind stutters, 40, 56 flips
// 12   breakdown: pads and bell, half time            0 fire on texture, 31, 40, 42, 44 flicker
// 13   drums return, snare roll 48..63                0, 2, 16 fire, 32, 34, 60 spring
// 14   climax: theme A over everything                0 torus, 16 blur, 32 torus, 38 "in motion"
// 15   climax: theme A answer                         as 14
// 16   glow: beat and theme, stab hits                0 glow "QUELL", 12, 32 burst, 42, 48, 56
// 17   glow: stutters, riser into the end             1-3, 32-36 stutters, 40, 56 flips
// 18   the end: one hit that has died by row 40       0 film strip runs away; the demo ends at 41
// clang-format on
//
// The eleven major cuts (100, 200, 332, 400, 600, 800, 1000, 1200, 1400, 1600, 1800) land on a
// stop and a hit: see land().
#include "modwriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double drum_rate = 16574.0; // played at note 48 (period 214)
constexpr int rows = 64, channels = 4;
constexpr int ch_drums = 0, ch_bass = 1, ch_chords = 2, ch_lead = 3;

// ---- synthesis -----------------------------------------------------------------------

uint32_t noise_state = 0x1234567u;
double noise() {
    noise_state ^= noise_state << 13;
    noise_state ^= noise_state >> 17;
    noise_state ^= noise_state << 5;
    return (noise_state >> 8) / 8388608.0 - 1.0;
}

std::vector<int8_t> to_s8(const std::vector<double> &x, double peak) {
    double m = 1e-9;
    for (double v : x) m = std::max(m, std::fabs(v));
    std::vector<int8_t> out(x.size());
    for (size_t i = 0; i < x.size(); ++i) out[i] = (int8_t)std::lround(x[i] / m * peak);
    if (out.size() % 2) out.push_back(0);
    return out;
}

// Fades the first and last samples so a one-shot neither starts nor stops with a click.
void edges(std::vector<double> &x, int in, int out) {
    for (int i = 0; i < in && i < (int)x.size(); ++i) x[i] *= (double)i / in;
    for (int i = 0; i < out && i < (int)x.size(); ++i) x[x.size() - 1 - i] *= (double)i / out;
}

ModWriterSample one_shot(const char *name, const std::vector<double> &x, double peak, int volume) {
    ModWriterSample s;
    s.name = name;
    s.data = to_s8(x, peak);
    s.volume = volume;
    return s;
}

// A looped sample whose loop is the last loop_len samples. The player plays loop bytes
// start + 1 .. start + length, so the byte after the loop repeats the loop's first byte.
ModWriterSample looped(const char *name, const std::vector<double> &x, int loop_len, double peak,
                       int volume) {
    ModWriterSample s;
    s.name = name;
    std::vector<double> y(x);
    const int start = (int)x.size() - loop_len;
    y.push_back(x[start]);
    y.push_back(x[start + 1]);
    s.data = to_s8(y, peak);
    s.loop_start = start;
    s.loop_length = loop_len;
    s.volume = volume;
    return s;
}

double one_pole(double &state, double in, double a) {
    state += a * (in - state);
    return state;
}

std::vector<double> kick() {
    const int n = (int)(0.32 * drum_rate);
    std::vector<double> x(n);
    double phase = 0, lp = 0;
    for (int i = 0; i < n; ++i) {
        const double t = i / drum_rate;
        const double f = 44 + 130 * std::exp(-t * 28);
        phase += 2 * pi * f / drum_rate;
        const double click = t < 0.004 ? one_pole(lp, noise(), 0.3) * (1 - t / 0.004) : 0;
        x[i] = std::sin(phase) * std::exp(-t * 9) + 0.5 * click;
    }
    edges(x, 0, 200);
    return x;
}

std::vector<double> snare() {
    const int n = (int)(0.26 * drum_rate);
    std::vector<double> x(n);
    double phase = 0, lp = 0, hp = 0;
    for (int i = 0; i < n; ++i) {
        const double t = i / drum_rate;
        phase += 2 * pi * (185 + 60 * std::exp(-t * 40)) / drum_rate;
        const double nz = one_pole(lp, noise(), 0.55);
        const double bright = nz - one_pole(hp, nz, 0.08);
        x[i] = 0.55 * std::sin(phase) * std::exp(-t * 22) + 0.8 * bright * std::exp(-t * 13);
    }
    edges(x, 4, 300);
    return x;
}

std::vector<double> hat(double seconds, double decay) {
    const int n = (int)(seconds * drum_rate);
    std::vector<double> x(n);
    double lp = 0, prev = 0;
    for (int i = 0; i < n; ++i) {
        const double t = i / drum_rate;
        const double nz = one_pole(lp, noise(), 0.75);
        x[i] = (nz - prev) * std::exp(-t * decay);
        prev = nz;
    }
    edges(x, 3, n / 4);
    return x;
}

std::vector<double> clap() {
    const int n = (int)(0.3 * drum_rate);
    std::vector<double> x(n);
    double lp = 0, hp = 0;
    for (int i = 0; i < n; ++i) {
        const double t = i / drum_rate;
        double env = std::exp(-t * 16) * 0.7;
        for (double start : {0.0, 0.011, 0.022})
            if (t >= start) env = std::max(env, std::exp(-(t - start) * 220));
        const double nz = one_pole(lp, noise(), 0.5);
        x[i] = (nz - one_pole(hp, nz, 0.12)) * env;
    }
    edges(x, 3, 400);
    return x;
}

std::vector<double> crash() {
    const int n = (int)(1.9 * drum_rate);
    std::vector<double> x(n);
    double lp = 0, prev = 0, ring = 0;
    for (int i = 0; i < n; ++i) {
        const double t = i / drum_rate;
        const double nz = one_pole(lp, noise(), 0.7);
        ring += 2 * pi * 4150 / drum_rate;
        x[i] = ((nz - prev) * 0.9 + 0.12 * std::sin(ring) * nz) * std::exp(-t * 2.6) *
               std::min(1.0, t / 0.003);
        prev = nz;
    }
    edges(x, 2, 3000);
    return x;
}

std::vector<double> riser() {
    const int n = (int)(2.4 * drum_rate);
    std::vector<double> x(n);
    double lp = 0, lp2 = 0;
    for (int i = 0; i < n; ++i) {
        const double u = (double)i / n;
        const double a = 0.03 + 0.6 * u * u;
        const double nz = one_pole(lp, noise(), a);
        x[i] = (nz - one_pole(lp2, nz, a * 0.3)) * (0.1 + 0.9 * u * u);
    }
    edges(x, 400, 60);
    return x;
}

// One period of a band-limited wave from harmonic amplitudes (sines, so it starts at 0).
double wave(double phase, const std::vector<double> &amps) {
    double v = 0;
    for (size_t k = 0; k < amps.size(); ++k) v += amps[k] * std::sin((k + 1) * phase);
    return v;
}

std::vector<double> saw_amps(int n, double tilt) {
    std::vector<double> a(n);
    for (int k = 1; k <= n; ++k) a[k - 1] = 1.0 / std::pow(k, tilt);
    return a;
}

// Bass: a bright attack settling into a steady filtered saw; 128 samples a cycle.
ModWriterSample bass() {
    constexpr int cycle = 128, attack = 10, loop = 4;
    std::vector<double> x;
    for (int c = 0; c < attack + loop; ++c) {
        const double bright = c < attack ? 1.0 - (double)c / attack : 0.0;
        std::vector<double> amps = saw_amps(10, 1.0);
        for (size_t k = 0; k < amps.size(); ++k)
            amps[k] *= k < 4 ? 1.0 : bright * 0.9 + 0.1 / (k - 2);
        amps[0] *= 1.4;
        for (int i = 0; i < cycle; ++i) x.push_back(wave(2 * pi * i / cycle, amps));
    }
    return looped("bass", x, loop * cycle, 112, 52);
}

// Lead: a hollow pulse with a breathy start; 64 samples a cycle.
ModWriterSample lead() {
    constexpr int cycle = 64, attack = 8, loop = 4;
    std::vector<double> x;
    const std::vector<double> amps = {1.0, 0.18, 0.42, 0.1, 0.22, 0.06, 0.12, 0.03, 0.06};
    for (int c = 0; c < attack + loop; ++c)
        for (int i = 0; i < cycle; ++i) {
            const double air = c < attack ? 0.25 * (1.0 - (double)c / attack) * noise() : 0.0;
            x.push_back(wave(2 * pi * i / cycle, amps) + air * (i > 0 && i < cycle - 1));
        }
    return looped("lead", x, loop * cycle, 100, 40);
}

// Pads: a detuned three-note chord over one loop holding whole cycles of every partial.
ModWriterSample pad(const char *name, int third_cycles, int volume) {
    constexpr int root_len = 128, root_cycles = 100;
    const int loop = root_len * root_cycles;
    const int partials[6] = {root_cycles, root_cycles + 1, third_cycles, third_cycles + 1, 150,
                             149};
    const double level[6] = {1.0, 0.8, 0.7, 0.6, 0.7, 0.6};
    const std::vector<double> amps = saw_amps(6, 1.6);
    std::vector<double> x(loop);
    for (int i = 0; i < loop; ++i) {
        double v = 0;
        for (int p = 0; p < 6; ++p) v += level[p] * wave(2 * pi * partials[p] * i / loop, amps);
        x[i] = v;
    }
    return looped(name, x, loop, 96, volume);
}

// Chord stabs: the same chord, brighter, dying away.
ModWriterSample stab(const char *name, double third, int volume) {
    constexpr int root_len = 128;
    const int n = 9000;
    const double ratios[4] = {1.0, third, 1.5, 2.0};
    const std::vector<double> amps = saw_amps(9, 1.1);
    std::vector<double> x(n);
    for (int i = 0; i < n; ++i) {
        double v = 0;
        for (double r : ratios) v += wave(2 * pi * r * i / root_len, amps) * (r == 2.0 ? 0.5 : 1.0);
        x[i] = v * std::exp(-i / 2600.0);
    }
    edges(x, 0, 600);
    return one_shot(name, x, 110, volume);
}

// Bell: two-operator FM with a falling index; 32 samples a cycle.
ModWriterSample bell() {
    constexpr int cycle = 32;
    const int n = 14000;
    std::vector<double> x(n);
    for (int i = 0; i < n; ++i) {
        const double ph = 2 * pi * i / cycle;
        const double index = 1.4 * std::exp(-i / 1500.0) + 0.25;
        x[i] = std::sin(ph + index * std::sin(3.5 * ph)) * std::exp(-i / 4200.0);
    }
    edges(x, 0, 800);
    return one_shot("bell", x, 104, 44);
}

// ---- notes and patterns ------------------------------------------------------------

enum Sample {
    s_kick = 1,
    s_snare,
    s_hat,
    s_open_hat,
    s_clap,
    s_crash,
    s_riser,
    s_bass,
    s_lead,
    s_pad_minor,
    s_pad_major,
    s_stab_minor,
    s_stab_major,
    s_bell,
};
constexpr int drum_note = 48;

// Note index of a pitch name such as "D5" or "Bb2" for a sample whose C at note 36 sounds in
// octave base_octave.
int note(const std::string &name, int base_octave) {
    static const std::map<std::string, int> semis = {
        {"C", 0},  {"C#", 1}, {"Db", 1},  {"D", 2},   {"D#", 3}, {"Eb", 3},
        {"E", 4},  {"F", 5},  {"F#", 6},  {"Gb", 6},  {"G", 7},  {"G#", 8},
        {"Ab", 8}, {"A", 9},  {"A#", 10}, {"Bb", 10}, {"B", 11}};
    const std::string letter = name.substr(0, name.size() - 1);
    const int octave = name.back() - '0';
    return 36 + (octave - base_octave) * 12 + semis.at(letter);
}
constexpr int lead_octave = 4, bass_octave = 2, chord_octave = 2, bell_octave = 4;

struct Pattern {
    std::vector<ModWriterCell> cells = mod_empty_pattern(channels);
    ModWriterCell &at(int row, int ch) { return cells[(size_t)row * channels + ch]; }
    void put(int row, int ch, int sample, int n, int cmd = 0, int param = 0) {
        ModWriterCell &c = at(row, ch);
        c.sample = sample;
        c.period = n >= 0 ? mod_period(n) : 0;
        c.command = cmd;
        c.param = param;
    }
    void fx(int row, int ch, int cmd, int param) {
        at(row, ch).command = cmd;
        at(row, ch).param = param;
    }
};

struct Chord {
    const char *root; // in the chord octave
    bool minor;
};
using Progression = std::vector<Chord>; // four chords, 16 rows each

const Progression prog_a = {{"D3", true}, {"Bb2", false}, {"F3", false}, {"C3", false}};
const Progression prog_b = {{"G2", true}, {"Bb2", false}, {"D3", true}, {"A2", false}};
const Progression prog_break = {{"Bb2", false}, {"F3", false}, {"G2", true}, {"A2", false}};
const Progression prog_intro0 = {{"D3", true}, {"D3", true}, {"Bb2", false}, {"Bb2", false}};
const Progression prog_intro1 = {{"G2", true}, {"G2", true}, {"A2", false}, {"A2", false}};

int chord_root(const Chord &c) {
    return note(c.root, chord_octave);
}
int bass_root(const Chord &c) {
    int n = note(c.root, chord_octave) - 12; // an octave below the chord
    while (n < note("G1", bass_octave)) n += 12;
    return n;
}

// ---- parts -------------------------------------------------------------------------

enum class Drums { none, hats, build, groove, four, half, fill_fast };

void drums(Pattern &p, Drums style, int from = 0, int to = rows) {
    for (int r = from; r < to; ++r) {
        const int b = r % 16;
        switch (style) {
        case Drums::none:
            break;
        case Drums::hats:
            if (r % 2 == 0) p.put(r, ch_drums, s_hat, drum_note, 0xC, r % 4 == 0 ? 40 : 24);
            break;
        case Drums::build:
            if (b % 4 == 0)
                p.put(r, ch_drums, s_kick, drum_note);
            else if (r % 2 == 0)
                p.put(r, ch_drums, s_hat, drum_note, 0xC, 28);
            break;
        case Drums::groove:
            if (b == 0 || b == 8 || b == 10)
                p.put(r, ch_drums, s_kick, drum_note);
            else if (b == 4 || b == 12)
                p.put(r, ch_drums, s_snare, drum_note);
            else if (b % 2 == 0)
                p.put(r, ch_drums, s_hat, drum_note, 0xC, b == 14 ? 40 : 30);
            else if (b == 15 && (r / 16) % 2)
                p.put(r, ch_drums, s_hat, drum_note, 0xC, 18);
            break;
        case Drums::four:
            if (b % 4 == 0)
                p.put(r, ch_drums, s_kick, drum_note);
            else if (b % 4 == 2)
                p.put(r, ch_drums, s_open_hat, drum_note, 0xC, 30);
            break;
        case Drums::half:
            if (b == 0)
                p.put(r, ch_drums, s_kick, drum_note);
            else if (b == 8)
                p.put(r, ch_drums, s_snare, drum_note);
            else if (b % 4 == 2)
                p.put(r, ch_drums, s_hat, drum_note, 0xC, 24);
            break;
        case Drums::fill_fast:
            p.put(r, ch_drums, s_snare, drum_note, 0xC, 24 + 3 * (r - from));
            break;
        }
    }
}

// A snare roll that gathers speed and volume over its rows.
void snare_roll(Pattern &p, int from, int to) {
    for (int r = from; r < to; ++r) {
        const double u = (double)(r - from) / (to - from);
        const bool hit = u < 0.5 ? (r - from) % 2 == 0 : true;
        if (hit) p.put(r, ch_drums, s_snare, drum_note, 0xC, (int)(18 + 46 * u));
    }
}

enum class Bass { none, roots, eighths, offbeat, gallop, half };

void bass_line(Pattern &p, const Progression &prog, Bass style, int from = 0, int to = rows) {
    for (int r = from; r < to; ++r) {
        const Chord &c = prog[r / 16];
        const int root = bass_root(c), b = r % 16;
        int n = -1;
        switch (style) {
        case Bass::none:
            break;
        case Bass::roots:
            if (b == 0) n = root;
            break;
        case Bass::eighths:
            if (b % 2 == 0) n = (b == 6 || b == 14) ? root + 12 : (b == 10 ? root + 7 : root);
            break;
        case Bass::offbeat:
            if (b % 4 == 2)
                n = root + 12;
            else if (b == 0)
                n = root;
            break;
        case Bass::gallop:
            if (b % 4 == 0 || b % 4 == 3) n = b % 8 == 4 ? root + 12 : root;
            break;
        case Bass::half:
            if (b == 0 || b == 10) n = root;
            break;
        }
        if (n < 0) continue;
        // staccato in the busy lines, held in the calm ones
        const bool held = style == Bass::roots || style == Bass::half;
        p.put(r, ch_bass, s_bass, n, held ? 0 : 0xE, held ? 0 : 0xC4);
    }
}

enum class Chords { none, pad, stabs, arp };

void chords(Pattern &p, const Progression &prog, Chords style, int volume, int from = 0,
            int to = rows) {
    for (int r = from; r < to; ++r) {
        const Chord &c = prog[r / 16];
        const int b = r % 16;
        switch (style) {
        case Chords::none:
            break;
        case Chords::pad:
            if (b == 0 || r == from)
                p.put(r, ch_chords, c.minor ? s_pad_minor : s_pad_major, chord_root(c), 0xC,
                      volume);
            break;
        case Chords::stabs:
            if (b == 0 || b == 3 || b == 6 || b == 10)
                p.put(r, ch_chords, c.minor ? s_stab_minor : s_stab_major, chord_root(c) + 12, 0xC,
                      b == 0 ? volume : volume * 3 / 4);
            break;
        case Chords::arp:
            // the chord broken into its notes by the replayer's arpeggio, on the hollow pulse
            if (b == 0 || r == from)
                p.put(r, ch_chords, s_lead, chord_root(c), 0xC, volume);
            else
                p.fx(r, ch_chords, 0x0, c.minor ? 0x37 : 0x47);
            break;
        }
    }
}

struct Note {
    int row;
    const char *pitch; // "" for a cut
    int cmd = 0, param = 0;
};

void melody(Pattern &p, int ch, int sample, int base_octave, const std::vector<Note> &notes,
            int volume) {
    for (const Note &n : notes) {
        if (n.pitch[0] == '\0') {
            p.fx(n.row, ch, 0xC, 0);
            continue;
        }
        p.put(n.row, ch, sample, note(n.pitch, base_octave), n.cmd, n.param);
        if (n.cmd == 0) p.fx(n.row, ch, 0xC, volume);
    }
}

// Vibrato on the later rows of held notes.
void vibrato_after(Pattern &p, int ch, int from, int to, int param) {
    for (int r = from; r < to; ++r)
        if (p.at(r, ch).period == 0 && p.at(r, ch).command == 0) p.fx(r, ch, 0x4, param);
}

const std::vector<Note> theme_a1 = {{0, "D5"},  {6, "E5"},  {8, "F5"},  {12, "A5"}, {16, "G5"},
                                    {22, "F5"}, {24, "D5"}, {32, "C5"}, {38, "D5"}, {40, "F5"},
                                    {44, "E5"}, {48, "E5"}, {56, "D5"}, {60, "C5"}};
const std::vector<Note> theme_a2 = {{0, "D5"},
                                    {6, "E5"},
                                    {8, "F5"},
                                    {12, "A5"},
                                    {16, "Bb5"},
                                    {22, "A5"},
                                    {24, "F5"},
                                    {28, "G5"},
                                    {32, "A5"},
                                    {40, "C6"},
                                    {44, "A5"},
                                    {48, "G5"},
                                    {52, "A5", 0x3, 0x08},
                                    {56, "E5"},
                                    {60, "C5"}};
const std::vector<Note> theme_b = {
    {0, "G5"},  {3, "G5"},  {4, "Bb5"},  {8, "A5"},   {11, "G5"}, {12, "F5"}, {16, "F5"},
    {19, "F5"}, {20, "D5"}, {24, "F5"},  {28, "Bb5"}, {32, "A5"}, {35, "A5"}, {36, "F5"},
    {40, "D5"}, {46, ""},   {48, "C#5"}, {51, "E5"},  {52, "A5"}, {56, "G5"}, {60, "E5"}};
const std::vector<Note> bell_intro0 = {{0, "A4"},  {6, "D5"},  {12, "E5"}, {16, "F5"},
                                       {40, "E5"}, {44, "D5"}, {48, "A4"}};
const std::vector<Note> bell_intro1 = {{0, "Bb4"}, {6, "D5"},   {12, "G5"}, {16, "F5"},
                                       {48, "E5"}, {52, "C#5"}, {56, "A4"}};
const std::vector<Note> bell_break = {{0, "F5"},   {8, "D5"},   {16, "C5"}, {24, "A4"},
                                      {32, "Bb4"}, {36, "D5"},  {40, "G5"}, {42, "F5"},
                                      {44, "E5"},  {48, "C#5"}, {56, "E5"}};

// Broken chords on the bell, two notes a beat.
void bell_arpeggio(Pattern &p, const Progression &prog, int from, int to) {
    static const int minor[4] = {0, 7, 12, 15}, major[4] = {0, 7, 12, 16};
    for (int r = from; r < to; r += 2) {
        const Chord &c = prog[r / 16];
        const int root = note(c.root, chord_octave) + 12; // bell sounds an octave up
        const int step = (r / 2) % 4;
        p.put(r, ch_lead, s_bell, root + (c.minor ? minor[step] : major[step]), 0xC,
              26 + 8 * (step == 0));
    }
}

void crash_at(Pattern &p, int row) {
    p.put(row, ch_drums, s_crash, drum_note);
}

// The stutters of the rewind scenes: the same hit retriggered on consecutive rows.
void stutter(Pattern &p, int from, int count, const Chord &c) {
    for (int r = from; r < from + count; ++r) {
        p.put(r, ch_drums, s_kick, drum_note);
        p.put(r, ch_chords, c.minor ? s_stab_minor : s_stab_major, chord_root(c) + 12, 0xE, 0x93);
    }
}

Pattern intro(int which) {
    Pattern p;
    const Progression &prog = which == 0 ? prog_intro0 : prog_intro1;
    if (which == 0) p.put(0, ch_drums, 0, -1, 0xF, 6);
    // pad swells in with a volume slide
    p.put(0, ch_chords, prog[0].minor ? s_pad_minor : s_pad_major, chord_root(prog[0]), 0xC,
          which == 0 ? 4 : 24);
    for (int r = 1; r < 9; ++r) p.fx(r, ch_chords, 0xA, 0x10);
    p.put(32, ch_chords, prog[2].minor ? s_pad_minor : s_pad_major, chord_root(prog[2]), 0xC, 40);
    bass_line(p, prog, Bass::roots, which == 0 ? 32 : 0);
    melody(p, ch_lead, s_bell, bell_octave, which == 0 ? bell_intro0 : bell_intro1, 36);
    if (which == 1) {
        crash_at(p, 32); // the title
        p.put(32, ch_lead, s_stab_major, note("A3", chord_octave), 0xC, 44);
        p.put(48, ch_drums, s_riser, drum_note, 0xC, 20);
        for (int r = 49; r < 64; ++r) p.fx(r, ch_drums, 0xA, 0x10);
    }
    return p;
}

Pattern build(int which) {
    Pattern p;
    if (which == 0) {
        crash_at(p, 0);
        drums(p, Drums::hats, 32);
        bass_line(p, prog_a, Bass::eighths);
        chords(p, prog_a, Chords::pad, 34);
        melody(p, ch_lead, s_bell, bell_octave, {{0, "D5"}, {16, "D5"}, {32, "C5"}, {48, "E5"}},
               30);
    } else {
        drums(p, Drums::hats, 0, 32);
        drums(p, Drums::build, 32, 48);
        snare_roll(p, 48, 64);
        bass_line(p, prog_a, Bass::eighths);
        chords(p, prog_a, Chords::pad, 38);
        p.put(32, ch_lead, s_stab_minor, note("D3", chord_octave) + 12, 0xC, 48);
        p.put(48, ch_lead, s_riser, drum_note, 0xC, 30);
        for (int r = 49; r < 64; ++r) p.fx(r, ch_lead, 0xA, 0x20);
    }
    return p;
}

Pattern main_theme(const std::vector<Note> &theme, bool accents) {
    Pattern p;
    drums(p, Drums::groove);
    crash_at(p, 0);
    bass_line(p, prog_a, Bass::eighths);
    chords(p, prog_a, Chords::stabs, 40);
    melody(p, ch_lead, s_lead, lead_octave, theme, 40);
    vibrato_after(p, ch_lead, 0, 64, 0x43);
    if (accents)
        for (int r : {2, 16, 34, 60})
            p.put(r, ch_chords, s_stab_minor, note("D3", chord_octave) + 12, 0xC, 50);
    return p;
}

Pattern steam(int which) {
    Pattern p;
    chords(p, prog_a, Chords::pad, 36);
    bell_arpeggio(p, prog_a, 0, 64);
    if (which == 0) {
        bass_line(p, prog_a, Bass::roots, 0, 32);
        bass_line(p, prog_a, Bass::eighths, 32, 64);
        drums(p, Drums::hats, 16, 32);
        drums(p, Drums::groove, 32, 64);
        crash_at(p, 32);
    } else {
        bass_line(p, prog_a, Bass::eighths, 0, 32);
        drums(p, Drums::groove, 0, 31);
        p.put(31, ch_drums, s_crash, drum_note);
        bass_line(p, prog_a, Bass::half, 32, 64);
        drums(p, Drums::half, 32, 64);
    }
    return p;
}

Pattern gallop(int which) {
    Pattern p;
    drums(p, Drums::groove);
    crash_at(p, 0);
    bass_line(p, prog_b, Bass::gallop);
    chords(p, prog_b, Chords::arp, 30);
    melody(p, ch_lead, s_lead, lead_octave, theme_b, 40);
    vibrato_after(p, ch_lead, 0, 64, 0x54);
    p.put(16, ch_drums, s_clap, drum_note);           // the blur
    p.put(38, ch_drums, s_crash, drum_note, 0xC, 40); // "in motion"
    if (which == 1) {
        drums(p, Drums::none, 48, 64);
        for (int r = 48; r < 64; ++r) p.at(r, ch_drums) = ModWriterCell{};
        drums(p, Drums::fill_fast, 48, 56);
        // everything stops on the slow-motion cue, the pad alone rings on
        for (int r = 56; r < 64; ++r) {
            p.at(r, ch_bass) = ModWriterCell{};
            p.at(r, ch_lead) = ModWriterCell{};
            p.at(r, ch_drums) = ModWriterCell{};
        }
        p.fx(56, ch_bass, 0xC, 0);
        p.fx(56, ch_lead, 0xC, 0);
        p.put(56, ch_chords, s_pad_major, chord_root(prog_b[3]), 0xC, 44);
        for (int r = 57; r < 64; ++r) p.fx(r, ch_chords, 0xA, 0x01);
    }
    return p;
}

Pattern beat(int which, bool theme) {
    Pattern p;
    drums(p, Drums::four);
    bass_line(p, prog_a, Bass::offbeat);
    if (theme) {
        melody(p, ch_lead, s_lead, lead_octave, which == 0 ? theme_a1 : theme_a2, 44);
        vibrato_after(p, ch_lead, 0, 64, 0x43);
    } else {
        for (int r = 4; r < 64; r += 8) p.put(r, ch_lead, s_clap, drum_note, 0xC, 44);
    }
    // stab hits where the picture hits
    const std::vector<int> hits =
        which == 0 ? std::vector<int>{0, 12, 32, 42, 44, 56} : std::vector<int>{0, 40, 56};
    for (int r : hits) {
        const Chord &c = prog_a[r / 16];
        p.put(r, ch_chords, c.minor ? s_stab_minor : s_stab_major, chord_root(c) + 12, 0xC, 56);
    }
    for (int r = 0; r < 64; ++r)
        if (p.at(r, ch_chords).sample == 0 && r % 4 == 2) {
            const Chord &c = prog_a[r / 16];
            p.put(r, ch_chords, c.minor ? s_stab_minor : s_stab_major, chord_root(c) + 12, 0xC, 22);
        }
    crash_at(p, 0);
    crash_at(p, 32);
    if (which == 1) {
        stutter(p, 1, 3, prog_a[0]);
        stutter(p, 32, 5, prog_a[2]);
        p.put(48, ch_lead, s_riser, drum_note, 0xC, 24);
        for (int r = 49; r < 64; ++r) p.fx(r, ch_lead, 0xA, 0x20);
    }
    return p;
}

Pattern breakdown(int which) {
    Pattern p;
    if (which == 0) {
        chords(p, prog_break, Chords::pad, 32);
        bass_line(p, prog_break, Bass::roots);
        melody(p, ch_lead, s_bell, bell_octave, bell_break, 40);
        for (int r : {31, 40, 42, 44}) p.put(r, ch_drums, s_clap, drum_note, 0xC, 28 + r / 2);
    } else {
        chords(p, prog_a, Chords::pad, 40);
        bass_line(p, prog_a, Bass::half, 0, 32);
        bass_line(p, prog_a, Bass::eighths, 32, 64);
        drums(p, Drums::half, 0, 32);
        drums(p, Drums::build, 32, 48);
        snare_roll(p, 48, 64);
        bell_arpeggio(p, prog_a, 0, 48);
        for (int r : {2, 16, 34, 60})
            p.put(r, ch_chords, s_stab_minor, note("D3", chord_octave) + 12, 0xC, 44);
        p.put(48, ch_lead, s_riser, drum_note, 0xC, 30);
        for (int r = 49; r < 64; ++r) p.fx(r, ch_lead, 0xA, 0x20);
    }
    return p;
}

Pattern climax(const std::vector<Note> &theme) {
    Pattern p = main_theme(theme, false);
    // octave-jumping bass and a crash on the blur and the caption
    p.put(16, ch_drums, s_clap, drum_note);
    crash_at(p, 32);
    p.put(38, ch_drums, s_crash, drum_note, 0xC, 36);
    return p;
}

Pattern finale() {
    Pattern p;
    p.put(0, ch_drums, s_crash, drum_note);
    p.put(0, ch_bass, s_bass, note("D2", bass_octave));
    for (int r = 1; r < 24; ++r) p.fx(r, ch_bass, 0xA, 0x02);
    p.put(0, ch_chords, s_pad_minor, chord_root(prog_a[0]), 0xC, 52);
    // the chord fades slowly, gone a little before row 40
    for (int r = 1; r < 36; r += 3) p.fx(r, ch_chords, 0xA, 0x01);
    p.put(0, ch_lead, s_stab_minor, chord_root(prog_a[0]) + 12, 0xC, 60);
    p.put(8, ch_lead, s_bell, note("D5", bell_octave), 0xC, 30);
    p.put(16, ch_lead, s_bell, note("A4", bell_octave), 0xC, 20);
    p.put(24, ch_lead, s_bell, note("D4", bell_octave), 0xC, 12);
    for (int r = 25; r < 40; ++r) p.fx(r, ch_lead, 0xA, 0x01);
    for (int ch = 0; ch < channels; ++ch) p.fx(40, ch, 0xC, 0);
    return p;
}

// Where the picture cuts to a new scene the music lands with it: every channel stops on the row
// before (a breath of silence), and the cut's row comes in with a crash, the bass on the chord's
// root and the chord itself. Notes the section already has on that row are kept.
void land(Pattern &before, int before_row, Pattern &at, int at_row, const Chord &c) {
    for (int ch = 0; ch < channels; ++ch) before.at(before_row, ch) = ModWriterCell{0, 0, 0xC, 0};
    at.put(at_row, ch_drums, s_crash, drum_note);
    if (at.at(at_row, ch_bass).period == 0) at.put(at_row, ch_bass, s_bass, bass_root(c));
    if (at.at(at_row, ch_chords).period == 0)
        at.put(at_row, ch_chords, c.minor ? s_stab_minor : s_stab_major, chord_root(c) + 12, 0xC,
               56);
}

// The timeline's major cuts, as song clocks (position x 100 + row), with the chord each lands on.
struct Cut {
    int clock;
    Chord chord;
};
const Cut major_cuts[] = {{100, prog_intro1[0]}, {200, prog_a[0]},      {332, prog_a[2]},
                          {400, prog_a[0]},      {600, prog_a[0]},      {800, prog_b[0]},
                          {1000, prog_a[0]},     {1200, prog_break[0]}, {1400, prog_a[0]},
                          {1600, prog_a[0]},     {1800, prog_a[0]}};

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_song OUT.mod\n");
        return 2;
    }
    ModWriterSong song;
    song.title = "quellbrand";
    song.samples = {
        one_shot("kick", kick(), 120, 54),
        one_shot("snare", snare(), 110, 44),
        one_shot("hat", hat(0.07, 55), 100, 30),
        one_shot("open hat", hat(0.32, 9), 100, 30),
        one_shot("clap", clap(), 110, 48),
        one_shot("crash", crash(), 100, 40),
        one_shot("riser", riser(), 100, 30),
        bass(),
        lead(),
        pad("pad minor", 120, 36),
        pad("pad major", 125, 36),
        stab("stab minor", 1.2, 44),
        stab("stab major", 1.25, 44),
        bell(),
    };
    std::vector<Pattern> patterns = {
        intro(0),
        intro(1),
        build(0),
        build(1),
        main_theme(theme_a1, false),
        main_theme(theme_a2, true),
        steam(0),
        steam(1),
        gallop(0),
        gallop(1),
        beat(0, false),
        beat(1, false),
        breakdown(0),
        breakdown(1),
        climax(theme_a1),
        climax(theme_a2),
        beat(0, true),
        beat(1, true),
        finale(),
    };
    for (const Cut &cut : major_cuts) {
        const int position = cut.clock / 100, row = cut.clock % 100;
        if (row > 0)
            land(patterns[(size_t)position], row - 1, patterns[(size_t)position], row, cut.chord);
        else
            land(patterns[(size_t)position - 1], rows - 1, patterns[(size_t)position], 0,
                 cut.chord);
    }
    for (const Pattern &p : patterns) song.patterns.push_back(p.cells);
    for (int i = 0; i < (int)song.patterns.size(); ++i) song.order.push_back(i);
    const std::vector<uint8_t> bytes = mod_write(song);
    FILE *f = std::fopen(argv[1], "wb");
    if (!f) return 1;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok ? 0 : 1;
}
