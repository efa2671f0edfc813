#!/usr/bin/env python3
"""SDL's disk audio output from a run under qemu against the golden record's sound: from the
first buffer that is not silence, BUFFERS buffers of 2048 16-bit samples must hash (FNV-1a, 64
bits) to HASH.
    stream_hash.py OUT.raw HASH BUFFERS"""
import sys
data = open(sys.argv[1], 'rb').read()
want, buffers = sys.argv[2], int(sys.argv[3])
size = 2048 * 2
# SDL writes silence while the device is paused, before the demo starts its sound; the callback's
# stream begins with the first buffer that is not silent (the song's first buffer is not)
first = 0
while first * size < len(data) and not any(data[first * size:(first + 1) * size]):
    first += 1
print(f"disk stream: {len(data) // size} buffers, {first} of them silence before the sound starts;"
      f" the record hashes {buffers}")
stream = data[first * size:(first + buffers) * size]
if len(stream) < buffers * size:
    sys.exit("FAILED: the disk stream is shorter than the record's sound")
h = 1469598103934665603
for b in stream:
    h = ((h ^ b) * 1099511628211) & 0xffffffffffffffff
if f"{h:016x}" != want:
    sys.exit(f"FAILED: the disk stream hashes to {h:016x}, the record to {want}")
print("the disk stream hashes to the golden record's sound")
