// The heard song clock: a ring of tick positions written by the tick thread and read by the frame
// loop without a lock, and the desktop's estimate of the sample being heard.
#include "sound/heard.h"

#include <atomic>

namespace {

// A few words written by one thread and read whole by others: the sequence is odd while a write is
// under way, and a read that saw it change is made again. Each word is stored with release and
// loaded with acquire, so a reader that sees any word of a write also sees the odd sequence before
// it.
template <int Words> struct Snapshot {
    std::atomic<uint32_t> sequence{0};
    std::atomic<uint32_t> word[Words] = {};

    void write(const uint32_t (&v)[Words]) {
        const uint32_t s = sequence.load(std::memory_order_relaxed);
        sequence.store(s + 1, std::memory_order_relaxed);
        for (int i = 0; i < Words; ++i) word[i].store(v[i], std::memory_order_release);
        sequence.store(s + 2, std::memory_order_release);
    }
    void read(uint32_t (&v)[Words]) const {
        for (;;) {
            const uint32_t before = sequence.load(std::memory_order_acquire);
            for (int i = 0; i < Words; ++i) v[i] = word[i].load(std::memory_order_acquire);
            if (!(before & 1) && sequence.load(std::memory_order_relaxed) == before) return;
        }
    }
};

int64_t join(uint32_t lo, uint32_t hi) {
    return (int64_t)((uint64_t)hi << 32 | lo);
}

// A tick: its first sample (two words) and its clock.
Snapshot<3> ring[snd_heard_ring_size];
std::atomic<uint32_t> recorded{0}; // ticks recorded since the ring was cleared
std::atomic<int> clock_before_ticks{0};

// The best recent request: its time and its first sample.
Snapshot<3> best_request;
std::atomic<uint32_t> requests_seen{0};
// Tick thread only: the last few requests.
struct Request {
    uint32_t ms;
    int64_t first_sample;
};
Request requests[snd_heard_requests_kept];
int request_count = 0, request_next = 0;

} // namespace

void snd_heard_record(int64_t first_sample, int clock) {
    const uint32_t n = recorded.load(std::memory_order_relaxed);
    ring[n % snd_heard_ring_size].write(
        {(uint32_t)first_sample, (uint32_t)((uint64_t)first_sample >> 32), (uint32_t)clock});
    recorded.store(n + 1, std::memory_order_release);
}

int snd_heard_clock(int64_t position) {
    const uint32_t n = recorded.load(std::memory_order_acquire);
    const uint32_t kept = n < (uint32_t)snd_heard_ring_size ? n : (uint32_t)snd_heard_ring_size;
    int oldest = 0;
    for (uint32_t back = 1; back <= kept; ++back) {
        uint32_t v[3];
        ring[(n - back) % snd_heard_ring_size].read(v);
        if (join(v[0], v[1]) <= position) return (int)v[2];
        oldest = (int)v[2];
    }
    // before everything kept: the clock before the first tick, or the oldest tick still kept
    return n == kept ? clock_before_ticks.load(std::memory_order_relaxed) : oldest;
}

void snd_heard_clear(int start_clock) {
    clock_before_ticks.store(start_clock, std::memory_order_relaxed);
    recorded.store(0, std::memory_order_release);
    requests_seen.store(0, std::memory_order_release);
    request_count = request_next = 0;
}

void snd_heard_note_request(uint32_t now_ms, int64_t first_sample, int rate) {
    requests[request_next] = {now_ms, first_sample};
    request_next = (request_next + 1) % snd_heard_requests_kept;
    if (request_count < snd_heard_requests_kept) ++request_count;
    // Earliest against the stream: the largest first sample less the samples due by its time,
    // counted from this request's time so the millisecond counter may wrap.
    const Request *best = nullptr;
    int64_t best_lead = 0;
    for (int i = 0; i < request_count; ++i) {
        const Request &r = requests[i];
        const int64_t lead = r.first_sample * 1000 + (int64_t)(int32_t)(now_ms - r.ms) * rate;
        if (!best || lead > best_lead) best = &r, best_lead = lead;
    }
    best_request.write(
        {best->ms, (uint32_t)best->first_sample, (uint32_t)((uint64_t)best->first_sample >> 32)});
    requests_seen.store(1, std::memory_order_release);
}

int64_t snd_heard_scheduled(const SndScheduledBuffer *ring, int kept, int count, double output_time,
                            int lead_ms, int rate, int buffer_samples) {
    const double at = output_time + lead_ms / 1000.0;
    for (int back = 1; back <= count && back <= kept; ++back) {
        const SndScheduledBuffer &b = ring[(count - back) % kept];
        if (b.start > at) continue;
        const int64_t into = (int64_t)((at - b.start) * rate);
        return b.first_sample + (into < buffer_samples ? into : buffer_samples);
    }
    return -1;
}

int64_t snd_heard_never_back(int64_t position, int64_t *last) {
    if (position < *last) position = *last;
    return *last = position;
}

int64_t snd_heard_position(uint32_t now_ms, int latency_samples, int rate) {
    if (!requests_seen.load(std::memory_order_acquire)) return -1 - (int64_t)latency_samples;
    uint32_t v[3];
    best_request.read(v);
    const int64_t elapsed_ms = (int32_t)(now_ms - v[0]);
    return join(v[1], v[2]) + elapsed_ms * rate / 1000 - latency_samples;
}
