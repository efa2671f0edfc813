#!/usr/bin/env bash
# The capture's WAV, written a buffer at a time, holds exactly the buffers the golden record hashes,
# under a header whose sizes match the file.
set -u
capture=$1
golden=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
${QB_RUN:-} "$capture" --wav "$work/demo.wav" 2>/dev/null || { echo "capture failed"; exit 1; }
expected=$(sed -n 's/^audio \([0-9a-f]*\) \([0-9]*\) buffers$/\1 \2/p' "$golden")
python3 - "$work/demo.wav" "$expected" <<'PY'
import struct, sys
d = open(sys.argv[1], 'rb').read()
want_hash, want_buffers = sys.argv[2].split()
riff, = struct.unpack('<I', d[4:8])
fmt = struct.unpack('<HHIIHH', d[20:36])
data, = struct.unpack('<I', d[40:44])
assert d[:4] == b'RIFF' and d[8:16] == b'WAVEfmt ' and d[36:40] == b'data', 'not a WAV'
assert fmt == (1, 1, 44100, 88200, 2, 16), 'not 16-bit mono 44100 Hz: %r' % (fmt,)
assert riff == len(d) - 8 and data == len(d) - 44, 'sizes %d %d in a file of %d' % (riff, data, len(d))
assert data == int(want_buffers) * 4096, '%d bytes, not %s buffers' % (data, want_buffers)
h = 1469598103934665603
for b in d[44:]:
    h = ((h ^ b) * 1099511628211) & 0xffffffffffffffff
assert '%016x' % h == want_hash, 'samples hash to %016x, not %s' % (h, want_hash)
print('%s buffers, hash %s as in the golden record' % (want_buffers, want_hash))
PY
