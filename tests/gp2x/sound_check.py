#!/usr/bin/env python3
"""The sound a guest recorded from the loopback card against the stream the demo makes offline,
sample for sample, both from their first sample that is not silence.

When the emulator is stopped (vm.py's stalls, logged as "STALL from T s", or a pause the guest
saw but nothing made on purpose, logged by pause_watch as "PAUSED for N ms"), the sound device
underruns and the recording gets silence, or its ring played again, where the demo's stream has
nothing: each such insertion is an underrun, listed and allowed only where it lies in the
recording from STALL_BEFORE before a logged stall to STALL_AFTER after it; a boot with no stall
allows none, so a demo that starves its own device fails. The recorder takes samples at the
device's pace from its "RECORDING" line on, so a stall's place in the recording is its time less
that line's. The device may also let go of up to LOSS samples of the stream there (they are
counted), but only where it inserted at least LOSSY_INSERT samples of silence or repeat. Every
other sample of the demo's stream must be there, in order and unchanged: a changed sample, one
missing, or an insertion that is neither silence nor the stream's own sound fails. The recording
may stop early (a button ended the demo) only with --early, where what the device held as it
closed may be cut; else it must hold the whole stream. A recording in two channels (the device
answered stereo) must hold the stream in both, the same. With --short-ring the device's ring is
shorter than a pause the host may give the emulator unseen (the hypervisor taking the machine, the
monitor's lock held over a screen dump): the GP2X's ring holds 46 ms. There an underrun that
loses nothing and inserts no more than the ring itself is allowed anywhere (the boot on the
longer ring, with no stall, still allows none).
    sound_check.py RECORDED.raw REFERENCE.wav [--channels 1|2] [--early] [--short-ring]
                   [--log CONSOLE.log]
    sound_check.py --self-test REFERENCE.wav"""
import array
import re
import sys

SAMPLE = 2
WINDOW = 2048 * SAMPLE       # one of the demo's sound buffers: a place to realign on
SEARCH = 10 * 44100 * SAMPLE  # an underrun no longer than 10 s
RECENT = 65536 * SAMPLE       # a repeat is of sound played in the last 1.5 s
CLOSING = 2 * 4096 * SAMPLE   # the device's buffers (two fragments) cut as it closes
SHORTEST = 32                 # samples: a shorter stretch found in the past proves nothing
LOSS = 8192                   # samples of the stream an underrun may lose: two of the device's rings
LOSSY_INSERT = 1024           # samples of silence or repeat an underrun that loses sound inserts
SHORT_RING = 2048             # samples: the GP2X's ring (2 x 1024 frames)
RATE = 44100
# The window around a stall, in seconds of the recording. The console's lines reach the log a
# little late (its RECORDING line, and so every place reckoned from it, by up to a few tens of
# ms); after the stop the device plays what its ring held (93 ms) before it runs dry, and the
# guest's timers catch up on the lost time (0.4 s). Seen in real boots: 0.06-0.08 s after the
# stall's start. Half a second is kept before, a second after.
STALL_BEFORE = 0.5
STALL_AFTER = 1.0


def wav_data(data):
    at = 12
    while at + 8 <= len(data):
        size = int.from_bytes(data[at + 4:at + 8], "little")
        if data[at:at + 4] == b"data":
            return data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    sys.exit("FAILED: no data chunk in the reference")


def from_first_sound(data):
    n = len(data) - len(data.lstrip(b"\0"))
    return data[n - n % SAMPLE:]


def equal_run(a, i, b, j):
    """bytes from a[i], b[j] on that are equal, in whole samples"""
    n, block = 0, 65536
    while block >= SAMPLE:
        while a[i + n:i + n + block] == b[j + n:j + n + block] and i + n + block <= len(a) and \
                j + n + block <= len(b):
            n += block
        block //= 2
    return n - n % SAMPLE


def find_even(haystack, needle, start, end):
    at = haystack.find(needle, start, end)
    while at >= 0 and at % SAMPLE:
        at = haystack.find(needle, at + 1, end)
    return at


def inserted_kind(junk, ref, j, lost):
    """('silence' or 'repeat', bytes of silence and repeat) when the insertion is made of silence
    and of stretches of the stream: played in the last RECENT samples (the device's ring played
    again, once or several times), or the LOST ones the device let go; else None"""
    if not junk.strip(b"\0"):
        return "silence", len(junk)
    heard = ref[max(0, j - RECENT):j + lost * SAMPLE]
    p, again = 0, 0
    while p < len(junk):
        if junk[p:p + SAMPLE] == b"\0" * SAMPLE:
            p, again = p + SAMPLE, again + SAMPLE
            continue
        low, high = 0, (len(junk) - p) // SAMPLE  # the longest stretch from p found in heard
        while low < high:
            mid = (low + high + 1) // 2
            if heard.find(junk[p:p + mid * SAMPLE]) >= 0:
                low = mid
            else:
                high = mid - 1
        if low < SHORTEST and p + low * SAMPLE < len(junk):
            return None
        stretch = junk[p:p + low * SAMPLE]
        if ref.find(stretch, j, j + lost * SAMPLE) < 0:
            again += len(stretch)  # not of the lost part: played before
        p += low * SAMPLE
    return "repeat", again


def realign(cap, i, ref, j):
    """(at, lost): where the stream goes on in the recording, at its sample j + lost, found by the
    first place from i on where a window of the stream begins, no more than LOSS samples on"""
    key = 8 * SAMPLE
    starts = {}
    for lost in range(LOSS, -1, -1):
        starts[ref[j + lost * SAMPLE:j + lost * SAMPLE + key]] = lost
    end = min(len(cap) - WINDOW, i + SEARCH)
    for at in range(i, end + 1, SAMPLE):
        lost = starts.get(cap[at:at + key])
        if lost is not None and cap[at:at + WINDOW] == ref[j + lost * SAMPLE:j + lost * SAMPLE + WINDOW]:
            return at, lost
    return -1, 0


def near_stall(where, stalls):
    return any(s - STALL_BEFORE * RATE <= where <= s + STALL_AFTER * RATE for s in stalls)


def check(cap, ref, early, stalls, quiet=False, short_ring=False):
    """stalls: where in the recording (samples of cap) each logged stall began"""
    say = (lambda *a: None) if quiet else print

    def failed(why):
        say(f"FAILED: {why}")
        return False, j // SAMPLE

    i = j = 0
    events = []
    while True:
        n = equal_run(cap, i, ref, j)
        i, j = i + n, j + n
        if j >= len(ref):
            break
        tail = cap[i:]
        if len(tail) < WINDOW:
            # the recording ends here: what is left of it is the device closing
            if early or len(ref) - j <= WINDOW:
                break
            return failed(f"the recording ends {(len(ref) - j) // SAMPLE} samples before the stream")
        at, lost = realign(cap, i, ref, j)
        junk = cap[i:at] if at > i else b""
        kind = inserted_kind(junk, ref, j, lost) if junk else None
        if lost and kind and kind[1] < LOSSY_INSERT * SAMPLE:
            kind = None  # sound lost with little or nothing inserted: no underrun does that
        kind = kind and kind[0]
        if kind is None:
            closing = len(tail.rstrip(b"\0"))
            if early and closing <= CLOSING:
                # the demo ended: closing the device cut what it had not played yet
                say(f"the sound stops at sample {j // SAMPLE} of the stream; {closing // SAMPLE} samples"
                    " as the device closed, then silence")
                break
            return failed(f"sample {j // SAMPLE} of the stream is changed or missing "
                          f"(recording sample {i // SAMPLE})")
        events.append((j // SAMPLE, (at - i) // SAMPLE, kind, lost, i // SAMPLE))
        i, j = at, j + lost * SAMPLE
    heard = j // SAMPLE
    for where, length, kind, lost, _ in events:
        say(f"underrun at sample {where}: {length} samples of {kind} inserted" +
            (f", {lost} samples of the stream lost where it was taken up again" if lost else ""))
    unexplained = [e for e in events if not near_stall(e[4], stalls) and
                   not (short_ring and e[3] == 0 and e[1] <= SHORT_RING)]
    if unexplained:
        return failed(f"{len(unexplained)} underruns with no stall logged near them (at stream sample"
                      f" {unexplained[0][0]} the first), stalls at {[round(s / RATE, 2) for s in stalls]} s")
    lost = sum(e[3] for e in events)
    say(f"{heard - lost} of the stream's first {heard} samples (of {len(ref) // SAMPLE}) heard unchanged,"
        f" in order; {len(events)} underruns, {lost} samples lost in them")
    return True, heard


def main():
    args = sys.argv[1:]
    if args and args[0] == "--self-test":
        ref = from_first_sound(wav_data(open(args[1], "rb").read()))
        middle = len(ref) // 2 - (len(ref) // 2) % WINDOW
        buffer = ref[middle:middle + WINDOW]
        scaled = b"".join(int(int.from_bytes(buffer[k:k + 2], "little", signed=True) * 0.9)
                          .to_bytes(2, "little", signed=True) for k in range(0, WINDOW, 2))
        swapped = bytes(buffer[k ^ 1] for k in range(WINDOW))
        stale = ref[middle - 2 * WINDOW:middle]
        ring = ref[middle - 8192:middle]
        at_middle = [middle // SAMPLE]  # a stall logged where the underruns are
        cases = [  # (what, recording, early, stalls, passes[, on a short ring])
            ("the stream itself", ref, False, at_middle, True),
            ("a buffer played again and silence, twice", ref[:middle] + stale + b"\0" * 3000 +
             ref[middle:2 * middle - 8000] + b"\0" * 512 + ref[2 * middle - 8000:], False,
             at_middle + [(2 * middle - 8000) // SAMPLE], True),
            ("the device's ring played four times over (a stall of 0.4 s)", ref[:middle] +
             ring[3000:] + 3 * ring + ref[middle:], False, at_middle, True),
            ("a stall that lost 24 samples", ref[:middle] + 3 * ring + ref[middle + 48:], False, at_middle, True),
            ("a stall with 300 samples of other sound", ref[:middle] + 3 * ring +
             ref[middle // 2:middle // 2 + 600] + ref[middle:], False, at_middle, False),
            ("100 samples changed", ref[:middle] + ref[middle // 2:middle // 2 + 200] +
             ref[middle + 200:], False, at_middle, False),
            ("512 samples missing", ref[:middle] + ref[middle + 1024:], False, at_middle, False),
            ("a stall that lost two stretches under silence and a repeat", ref[:middle] + ring[-3000:] +
             b"\0" * 6000 + ref[middle + 800:middle + 3800] + ref[middle + 7400:], False, at_middle, True),
            ("10000 samples lost under a stall", ref[:middle] + 2 * ring + ref[middle + 20000:], False, at_middle, False),
            ("a buffer scaled by 0.9", ref[:middle] + scaled + ref[middle + WINDOW:], False, at_middle, False),
            ("a buffer byte-swapped", ref[:middle] + swapped + ref[middle + WINDOW:], False, at_middle, False),
            ("a buffer missing", ref[:middle] + ref[middle + WINDOW:], False, at_middle, False),
            ("a buffer of other sound inserted", ref[:middle] + ref[middle // 2:middle // 2 + WINDOW] +
             ref[middle:], False, at_middle, False),
            ("cut short", ref[:middle], False, at_middle, False),
            ("cut short by a button, then silence", ref[:middle] + b"\0" * 9000, True, at_middle, True),
            ("cut short by a button, the last buffer cut", ref[:middle] + b"\0" * 400 +
             ref[middle + 400:middle + 3000] + b"\0" * 9000, True, at_middle, True),
            ("cut short by a button, then other sound", ref[:middle] + b"\0" * 400 +
             ref[middle // 2:middle // 2 + 20000] + b"\0" * 9000, True, at_middle, False),
            ("the device's ring played again with no stall logged", ref[:middle] + 3 * ring +
             ref[middle:], False, [], False),
            ("the device's ring played again 3 s after the stall", ref[:middle] + 3 * ring +
             ref[middle:], False, [middle // SAMPLE - 3 * RATE], False),
            ("on a short ring, 600 samples of repeat with no stall logged", ref[:middle] + ring[-1200:] +
             ref[middle:], False, [], True, True),
            ("on a short ring, a repeat with no stall logged that lost 24 samples", ref[:middle] +
             ring[-3000:] + ref[middle + 48:], False, [], False, True),
            ("on a short ring, a repeat longer than the ring with no stall logged", ref[:middle] + ring +
             ref[middle:], False, [], False, True),
        ]
        bad = 0
        for what, recording, early, stalls, passes, *short in cases:
            ok = check(recording, ref, early, stalls, quiet=True, short_ring=bool(short))[0]
            print(f"the check {'passes' if ok else 'fails'} {what}")
            bad += ok != passes
        sys.exit(1 if bad else 0)
    early = "--early" in args
    stall_times, recording = [], None
    if "--log" in args:
        for line in open(args[args.index("--log") + 1], errors="replace"):
            m = re.search(r"STALL from ([0-9.]+) s", line)
            if m:
                stall_times.append(float(m.group(1)))
            m = re.match(r"\[ *([0-9.]+)\] PAUSED for ([0-9]+) ms", line)
            if m:  # logged as the guest ran again
                stall_times.append(float(m.group(1)) - int(m.group(2)) / 1000)
            m = re.match(r"\[ *([0-9.]+)\] RECORDING", line)
            if m and recording is None:
                recording = float(m.group(1))
        if stall_times and recording is None:
            sys.exit("FAILED: stalls logged but no RECORDING line to place them")
    cap = open(args[0], "rb").read()
    if "--channels" in args and args[args.index("--channels") + 1] == "2":
        frames = array.array("h", cap[:len(cap) - len(cap) % 4])
        left, right = frames[0::2].tobytes(), frames[1::2].tobytes()
        if left != right:
            sys.exit("FAILED: the two channels differ")
        print(f"{len(left) // SAMPLE} frames in two channels, the same in both")
        cap = left
    lead = (len(cap) - len(from_first_sound(cap))) // SAMPLE
    cap = from_first_sound(cap)
    stalls = [(t - recording) * RATE - lead for t in stall_times]
    ref = from_first_sound(wav_data(open(args[1], "rb").read()))
    if not cap:
        sys.exit("FAILED: the recording is silence")
    sys.exit(0 if check(cap, ref, early, stalls, short_ring="--short-ring" in args)[0] else 1)


if __name__ == "__main__":
    main()
