// quellbrand-cuts: how much each of the timeline's major cuts stands out in the song. Renders the
// song tick by tick, measures the spectral change at the first tick of every row (the rise of the
// log spectrum from the 2048 samples before to the 2048 after) and ranks each cut among all row
// starts: 1.0 is the largest change in the song. With --at-least R it fails when a cut ranks
// below R.
#include "data/cuts.h"
#include "demo/frame.h"
#include "demo/startup.h"
#include "host/offline/virtual_clock.h"
#include "player/player.h"
#include "sound/driver.h"
#include "sound/mixer.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int window = 2048;

void fft(std::vector<std::complex<double>> &a) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * M_PI / (double)len);
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> u = 1;
            for (size_t k = 0; k < len / 2; ++k, u *= w) {
                const std::complex<double> x = a[i + k], y = a[i + k + len / 2] * u;
                a[i + k] = x + y;
                a[i + k + len / 2] = x - y;
            }
        }
    }
}

// Log magnitude spectrum of a Hann-windowed stretch.
std::vector<double> spectrum(const std::vector<int16_t> &s, size_t from) {
    std::vector<std::complex<double>> a(window);
    for (int i = 0; i < window; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * i / (window - 1));
        a[(size_t)i] = hann * s[from + (size_t)i] / 32768.0;
    }
    fft(a);
    std::vector<double> m(window / 2);
    for (int k = 1; k < window / 2; ++k) m[(size_t)k] = std::log10(1e-4 + std::abs(a[(size_t)k]));
    return m;
}

} // namespace

int main(int argc, char **argv) {
    const double at_least =
        argc == 3 && std::string(argv[1]) == "--at-least" ? std::atof(argv[2]) : 0;
    offline_start_demo_sound();
    // the audio callback's schedule: a tick, then its samples
    const int per_tick = snd_samples_per_tick();
    std::vector<int16_t> samples;
    std::vector<std::pair<int, size_t>> row_starts; // clock, first sample of the row
    int last = -1;
    std::vector<int16_t> buffer((size_t)per_tick);
    while (true) {
        pt_tick();
        const int clock = pt_song_clock();
        if (clock > demo_end_clock) break;
        if (clock != last) row_starts.push_back({clock, samples.size()});
        last = clock;
        snd_mix(buffer.data(), per_tick, 1);
        samples.insert(samples.end(), buffer.begin(), buffer.end());
    }
    std::vector<double> flux;
    std::vector<int> clocks;
    for (const auto &r : row_starts) {
        if (r.second < (size_t)window || r.second + window > samples.size()) continue;
        const std::vector<double> before = spectrum(samples, r.second - window);
        const std::vector<double> after = spectrum(samples, r.second);
        double rise = 0;
        for (size_t k = 0; k < before.size(); ++k) rise += std::max(0.0, after[k] - before[k]);
        flux.push_back(rise);
        clocks.push_back(r.first);
    }
    std::vector<double> sorted = flux;
    std::sort(sorted.begin(), sorted.end());
    std::printf("| cut | spectral rise | rank among %zu row starts |\n|---|---|---|\n",
                flux.size());
    std::vector<double> ranks;
    for (int cut : major_cuts) {
        const size_t i = (size_t)(std::find(clocks.begin(), clocks.end(), cut) - clocks.begin());
        if (i == clocks.size()) continue;
        const double rank =
            (double)(std::lower_bound(sorted.begin(), sorted.end(), flux[i]) - sorted.begin()) /
            (double)(sorted.size() - 1);
        ranks.push_back(rank);
        std::printf("| %d | %.1f | %.3f |\n", cut, flux[i], rank);
    }
    std::sort(ranks.begin(), ranks.end());
    std::printf("\nmedian rank %.3f, lowest %.3f\n", ranks[ranks.size() / 2], ranks.front());
    return ranks.size() == (size_t)major_cut_count && ranks.front() >= at_least ? 0 : 1;
}
