#!/usr/bin/env python3
"""A sound device taken away and given back under the demo. In its trace the song clock never
stands still for MOST seconds or more (1 by default), nor for a second while the device was gone
(--gone: from KILLED to RESTARTED, monotonic ns), and the trace ends past the song's end (unless
--early: a button ended it). The sound recorded from the device's return is the offline stream
from some place on, for at least HEARD_S seconds, up to the stream's last second (its end, as
the demo closes the device) or to the last CLOSING samples before silence that lasts to the end
of the recording (the demo ended, and the device's two fragments were cut as it closed). A server that falls behind inserts silence into what it plays (at most UNDERRUNS times);
every other sample must be the stream's, in order.
    stream_resumes.py TRACE RECORDED.raw REFERENCE.wav [--gone KILLED RESTARTED] [--most S] [--early]"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gp2x"))
from sound_check import RATE, SAMPLE, wav_data  # noqa: E402

WINDOW = 2048 * SAMPLE
UNDERRUNS = 3
END_CLOCK = 1840
HEARD_S = 2
CLOSING = 2 * 4096


def trace_check(path, killed, restarted, most, early):
    frames = [l.split() for l in open(path) if l.strip()]
    # each stretch of one clock: from the frame that first showed it to the one that showed the next
    stretches, since, last = [], int(frames[0][0]), frames[0][1]
    for f in frames[1:] + [[str(1 << 62), None]]:
        if f[1] != last:
            stretches.append((since, min(int(f[0]), int(frames[-1][0]))))
            since, last = int(f[0]), f[1]
    last = frames[-1][1]
    gone = [b - a for a, b in stretches if b > killed and a < restarted] + [0]
    anywhere = max(b - a for a, b in stretches)
    print(f"{len(frames)} frames; while the device was gone the song clock stood still for"
          f" {max(gone) / 1e6:.0f} ms at most, {anywhere / 1e6:.0f} ms anywhere; the last frame at"
          f" clock {last}")
    ok = max(gone) < 1e9 and anywhere < most * 1e9 and (early or int(last) > END_CLOCK)
    if not ok:
        print("FAILED: the clock stood still too long, or the song did not end")
    return ok


def even_find(hay, needle, start=0):
    at = hay.find(needle, start)
    while at >= 0 and at % SAMPLE:
        at = hay.find(needle, at + 1)
    return at


def stream_check(rec, ref):
    first = len(rec) - len(rec.lstrip(b"\0"))
    first -= first % SAMPLE
    at = even_find(ref, rec[first:first + WINDOW])
    if first + WINDOW > len(rec) or at < 0:
        print("FAILED: the recording after the return is not the demo's stream")
        return False
    print(f"the sound came back at {at // SAMPLE / RATE:.2f} s of the stream")
    i, j, underruns = first, at, 0
    while True:
        n = 0
        block = 65536
        while block >= SAMPLE:
            while i + n + block <= len(rec) and j + n + block <= len(ref) and \
                    rec[i + n:i + n + block] == ref[j + n:j + n + block]:
                n += block
            block //= 2
        i, j = i + n, j + n
        if len(ref) - j <= RATE * SAMPLE or len(rec[i:].rstrip(b"\0")) <= CLOSING * SAMPLE:
            break  # the end of the song, or the demo ended: what the device held, cut as it closed
        # inserted silence, then the stream where it left off
        k = i
        while k < len(rec) and rec[k] == 0:
            k += 1
        k -= (k - i) % SAMPLE
        if k == i or rec[k:k + WINDOW] != ref[j:j + WINDOW] or underruns == UNDERRUNS:
            print(f"FAILED: sample {j // SAMPLE} of the stream is changed or missing")
            return False
        underruns += 1
        print(f"{(k - i) // SAMPLE} samples of silence inserted at {j // SAMPLE / RATE:.2f} s")
        i = k
    print(f"the stream went on to {j // SAMPLE / RATE:.2f} s of {len(ref) // SAMPLE / RATE:.2f} s,"
          f" in order and unchanged")
    if j - at < HEARD_S * RATE * SAMPLE:
        print(f"FAILED: less than {HEARD_S} s of the stream after the return")
        return False
    return True


args = sys.argv[1:]
gone = (int(args[args.index("--gone") + 1]), int(args[args.index("--gone") + 2])) if "--gone" in args else (0, 0)
most = float(args[args.index("--most") + 1]) if "--most" in args else 1.0
ok = trace_check(args[0], gone[0], gone[1], most, "--early" in args)
ok = stream_check(open(args[1], "rb").read(), wav_data(open(args[2], "rb").read())) and ok
sys.exit(0 if ok else 1)
