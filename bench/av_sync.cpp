// av-sync-offsets: how far the sound of every row change is from the first frame that shows it.
// The song's row changes come from the demo's own player (every tick at its exact sample of the
// stream); when each reached the output comes from a recording of the sound server's output
// (desktop) or from the browser's schedule of the buffers; the frames from the demo's trace.
//   av-sync-offsets desktop RECORDING.raw RECORDING_TIMES.txt TRACE.txt [CHANNELS]
//   av-sync-offsets web BUFFERS.txt TRACE.txt
// RECORDING_TIMES: "samples-recorded ns" a line (the last of them was at the output then); a
// recording in two channels (the same sound in both) is read from its first.
// Every frame is also set against the row heard in the middle of its time on screen (20 ms after
// it is shown): the share of frames showing that row, one ahead of it, or one behind.
// BUFFERS: "first-stream-sample ns" a line (that sample reached the output then).
// TRACE: "ns song-clock" a line, one a presented frame. Offsets are sound less picture, in ms:
// positive when the sound comes after the picture.
#include "data/cuts.h"
#include "demo/frame.h"
#include "demo/startup.h"
#include "demo/sync.h"
#include "host/offline/virtual_clock.h"
#include "player/player.h"
#include "sound/driver.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int rate = 44100;
constexpr double ns_per_sample = 1e9 / rate;
constexpr int summary_seconds = 60;
constexpr size_t match_samples = 32; // enough to place a stretch of the song exactly
constexpr int match_tolerance = 2;
constexpr int64_t near_samples = 2 * rate;

struct RowChange {
    int clock;
    int64_t first_sample;
};
struct Frame {
    double ns;
    int clock;
};

std::vector<RowChange> rows;
std::vector<int16_t> stream;
int ticks_run = 0;

void tick_and_note() {
    pt_tick();
    const int clock = pt_song_clock();
    if (rows.empty() || rows.back().clock != clock)
        rows.push_back({clock, (int64_t)ticks_run * snd_samples_per_tick()});
    ++ticks_run;
}

// The whole song as the demo mixes it, and where each row change starts in it.
void play_song() {
    demo_start_sound({offline_audio_device, demo_driver_s16, nullptr, tick_and_note});
    int16_t buffer[offline_buffer_samples];
    while (rows.empty() || rows.back().clock <= demo_end_clock) {
        offline_audio_buffer(buffer);
        stream.insert(stream.end(), buffer, buffer + offline_buffer_samples);
    }
}

template <class T> std::vector<T> read_pairs(const char *path) {
    std::vector<T> out;
    FILE *f = std::fopen(path, "r");
    if (!f) {
        std::fprintf(stderr, "av-sync-offsets: cannot read %s\n", path);
        std::exit(1);
    }
    // the first two numbers of each line (the demo's trace has more after them)
    char line[8192];
    double a, b;
    while (std::fgets(line, sizeof line, f))
        if (std::sscanf(line, "%lf %lf", &a, &b) == 2) out.push_back({a, b});
    std::fclose(f);
    return out;
}
struct Pair {
    double a, b;
};

// Desktop: where each stretch of the stream is in the recording, and when that was at the output.
struct Recording {
    std::vector<int16_t> samples;
    double first_ns = 0; // time of recorded sample 0
    double ns_per_recorded = ns_per_sample;
    int64_t shift = 0; // recording index less stream index, as last found

    bool load(const char *raw, const char *times, int channels) {
        FILE *f = std::fopen(raw, "rb");
        if (!f) return false;
        int16_t chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 2, 4096, f)) > 0)
            for (size_t k = 0; k < n; k += (size_t)channels) samples.push_back(chunk[k]);
        std::fclose(f);
        // the reads' times against the samples read: the sink's own clock may run a little
        // apart from the monotonic one, so the rate is fitted too
        const std::vector<Pair> reads = read_pairs<Pair>(times);
        if (reads.size() < 2) return false;
        double m = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (const Pair &p : reads) {
            const double x = p.a - 1, y = p.b - reads[0].b;
            m += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
        }
        ns_per_recorded = (m * sxy - sx * sy) / (m * sxx - sx * sx);
        first_ns = reads[0].b + (sy - ns_per_recorded * sx) / m;
        return true;
    }
    // A server that mixes a stereo stream down to the mono sink may round a sample either way.
    bool matches(int64_t at_stream, int64_t at_recording) const {
        if (at_recording < 0 || at_recording + (int64_t)match_samples > (int64_t)samples.size())
            return false;
        for (size_t k = 0; k < match_samples; ++k)
            if (std::abs(stream[(size_t)at_stream + k] - samples[(size_t)at_recording + k]) >
                match_tolerance)
                return false;
        return true;
    }
    // Nearest the last shift first, then anywhere.
    bool place(int64_t at_stream) {
        for (int64_t d = 0; d <= near_samples; ++d)
            for (const int64_t r : {at_stream + shift + d, at_stream + shift - d})
                if (matches(at_stream, r)) return shift = r - at_stream, true;
        for (int64_t r = 0; r + (int64_t)match_samples <= (int64_t)samples.size(); ++r)
            if (matches(at_stream, r)) return shift = r - at_stream, true;
        return false;
    }
    // The time stream sample s was at the output, or NaN when it is not in the recording. A
    // stretch of silence is placed by the nearest stretch of sound after it.
    double output_ns(int64_t s) {
        int64_t probe = s;
        while (probe + (int64_t)match_samples <= (int64_t)stream.size()) {
            const auto from = stream.begin() + probe;
            if (std::any_of(from, from + match_samples, [&](int16_t v) { return v != *from; }))
                break;
            probe += (int64_t)match_samples;
        }
        if (probe + (int64_t)match_samples > (int64_t)stream.size()) return NAN;
        if (!place(probe)) return NAN;
        return first_ns + (double)(s + shift) * ns_per_recorded;
    }
    // The stream sample at the output at time ns, with the shift found for the rows around it.
    int64_t heard_at(double ns, int64_t at_shift) const {
        return (int64_t)std::floor((ns - first_ns) / ns_per_recorded) - at_shift;
    }
};

// Browser: the buffers in the order scheduled; a sample is heard at its buffer's time plus its
// place in it.
struct Schedule {
    std::vector<Pair> buffers; // first stream sample, ns
    double output_ns(int64_t s) const {
        const Pair *at = nullptr;
        for (const Pair &b : buffers)
            if (b.a <= (double)s) at = &b;
        return at ? at->b + ((double)s - at->a) * ns_per_sample : NAN;
    }
};

struct Stats {
    int n = 0;
    double sum = 0, lo = INFINITY, hi = -INFINITY;
    void add(double v) { ++n, sum += v, lo = std::min(lo, v), hi = std::max(hi, v); }
};

} // namespace

int main(int argc, char **argv) {
    const bool desktop = (argc == 5 || argc == 6) && !std::strcmp(argv[1], "desktop");
    const bool web = argc == 4 && !std::strcmp(argv[1], "web");
    if (!desktop && !web) {
        std::fprintf(stderr, "usage: av-sync-offsets desktop RECORDING.raw TIMES.txt TRACE.txt "
                             "[CHANNELS]\n"
                             "       av-sync-offsets web BUFFERS.txt TRACE.txt\n");
        return 2;
    }
    play_song();
    Recording recording;
    Schedule schedule;
    const int channels = desktop && argc == 6 ? std::atoi(argv[5]) : 1;
    if (desktop && (channels < 1 || channels > 2 || !recording.load(argv[2], argv[3], channels))) {
        std::fprintf(stderr, "av-sync-offsets: cannot read the recording\n");
        return 1;
    }
    if (web) schedule.buffers = read_pairs<Pair>(argv[2]);
    std::vector<Frame> frames;
    for (const Pair &p : read_pairs<Pair>(argv[desktop ? 4 : 3])) frames.push_back({p.a, (int)p.b});

    Stats minute, all;
    std::vector<std::pair<int, double>> at_cuts;
    size_t cursor = 0;
    std::vector<std::pair<double, int64_t>> shifts; // from this output time on, this shift
    // from the first change of row on: the song's start is the frame loop's start
    for (size_t i = 1; i < rows.size() && rows[i].clock <= demo_end_clock; ++i) {
        // the first frame from here on that shows the row, unless one shows the next row first
        const int next = i + 1 < rows.size() ? rows[i + 1].clock : INT32_MIN;
        size_t j = cursor;
        while (j < frames.size() && frames[j].clock != rows[i].clock && frames[j].clock != next)
            ++j;
        if (j == frames.size() || frames[j].clock != rows[i].clock) continue;
        cursor = j;
        const double heard = desktop ? recording.output_ns(rows[i].first_sample)
                                     : schedule.output_ns(rows[i].first_sample);
        if (std::isnan(heard)) continue;
        if (desktop) shifts.push_back({heard, recording.shift});
        const double offset = (heard - frames[j].ns) / 1e6;
        if (std::getenv("AV_SYNC_ROWS"))
            std::fprintf(stderr, "row %d at sample %lld: %+.1f ms\n", rows[i].clock,
                         (long long)rows[i].first_sample, offset);
        all.add(offset);
        if (rows[i].first_sample < (int64_t)summary_seconds * rate) minute.add(offset);
        if (std::find(major_cuts, major_cuts + major_cut_count, rows[i].clock) !=
            major_cuts + major_cut_count)
            at_cuts.push_back({rows[i].clock, offset});
    }
    std::printf("cut");
    for (const auto &c : at_cuts) std::printf(" %d", c.first);
    std::printf("\noffset_ms");
    for (const auto &c : at_cuts) std::printf(" %+.1f", c.second);
    std::printf("\n");
    const auto line = [](const char *what, const Stats &s) {
        if (s.n == 0) {
            std::printf("%s: no rows\n", what);
            return;
        }
        std::printf("%s: %d rows, mean %+.1f ms, from %+.1f to %+.1f ms\n", what, s.n, s.sum / s.n,
                    s.lo, s.hi);
    };
    if (desktop)
        std::printf("sink clock: %.1f ppm from the monotonic clock\n",
                    (recording.ns_per_recorded / ns_per_sample - 1) * 1e6);
    if (desktop && !shifts.empty()) {
        // from the first frame of the song's second row to the last row placed
        int in_step = 0, ahead = 0, behind = 0;
        size_t at_shift = 0, row = 0;
        for (const Frame &f : frames) {
            const double middle = f.ns + sync_frame_lead_ms * 1e6;
            if (f.clock < rows[1].clock || middle > shifts.back().first) continue;
            while (at_shift + 1 < shifts.size() && shifts[at_shift + 1].first <= middle) ++at_shift;
            const int64_t s = recording.heard_at(middle, shifts[at_shift].second);
            while (row + 1 < rows.size() && rows[row + 1].first_sample <= s) ++row;
            while (row > 0 && rows[row].first_sample > s) --row;
            if (f.clock == rows[row].clock)
                ++in_step;
            else if (f.clock > rows[row].clock)
                ++ahead;
            else
                ++behind;
        }
        const double n = std::max(1, in_step + ahead + behind) / 100.0;
        std::printf(
            "frames: %d, showing the row heard %.0f%%, ahead of it %.0f%%, behind it %.0f%%\n",
            in_step + ahead + behind, in_step / n, ahead / n, behind / n);
    }
    line("first 60 s", minute);
    line("whole run", all);
    return at_cuts.empty() ? 1 : 0;
}
