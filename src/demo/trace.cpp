// The frame trace's lines.
#include "demo/trace.h"
#include "demo/frame.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool trace_keeps(int type) {
    return type == event_key_down || type == event_mouse_button_down;
}

void trace_add_event(TraceFrame &f, int type, int key) {
    if (!trace_keeps(type)) return;
    if (f.event_count == trace_max_events) {
        f.overflow = true;
        return;
    }
    f.types[f.event_count] = type;
    f.keys[f.event_count++] = key;
}

int trace_format(const TraceFrame &f, char *out, size_t size) {
    size_t n = 0;
    auto put = [&](int written) {
        if (written < 0 || (size_t)written >= size - n) return false;
        n += (size_t)written;
        return true;
    };
    if (!put(std::snprintf(out, size, "%lld %d %d", (long long)f.ns, f.clock, f.t))) return -1;
    for (int i = 0; i < f.event_count; ++i)
        if (!put(std::snprintf(out + n, size - n, " %d:%d", f.types[i], f.keys[i]))) return -1;
    if (f.overflow && !put(std::snprintf(out + n, size - n, " overflow"))) return -1;
    if (!put(std::snprintf(out + n, size - n, "\n"))) return -1;
    return (int)n;
}

bool trace_parse(const char *line, TraceFrame &f) {
    f = TraceFrame{};
    char *end = nullptr;
    f.ns = std::strtoll(line, &end, 10);
    if (end == line) return false;
    const char *p = end;
    long v[2];
    for (long &x : v) {
        x = std::strtol(p, &end, 10);
        if (end == p) return false;
        p = end;
    }
    f.clock = (int)v[0];
    f.t = (int)v[1];
    while (*p == ' ') {
        ++p;
        if (!std::strncmp(p, "overflow", 8)) {
            f.overflow = true;
            p += 8;
            continue;
        }
        const long type = std::strtol(p, &end, 10);
        if (end == p || *end != ':') return false;
        p = end + 1;
        const long key = std::strtol(p, &end, 10);
        if (end == p || f.event_count == trace_max_events) return false;
        p = end;
        f.types[f.event_count] = (int)type;
        f.keys[f.event_count++] = (int)key;
    }
    return *p == '\n' || *p == '\0';
}
