#!/usr/bin/env bash
# The capture's frames at 32 bits are the Canvas's grey levels themselves, between black bands:
# the same picture as at 16 bits, where each level goes through the 5-6-5 palette, but with the
# levels 5-6-5 cannot show. A depth no screen has is refused.
set -u
capture=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for depth in 16 32; do
    ${QB_RUN:-} "$capture" --at 400 --out "$work/$depth" --depth $depth 2>/dev/null || { echo "capture at $depth bits failed"; exit 1; }
    convert "$work/$depth/at-0400.png" -depth 8 rgb:"$work/$depth.rgb" || exit 1
done
${QB_RUN:-} "$capture" --at 400 --out "$work/15" --depth 15 2>/dev/null
[ $? -eq 2 ] || { echo "a depth of 15 bits was not refused"; exit 1; }
python3 - "$work/16.rgb" "$work/32.rgb" <<'PY'
import sys
sixteen, deep = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
width, top, bottom = 320, 20, 220
assert len(deep) == len(sixteen) == width * 240 * 3
grey = [deep[k] for k in range(0, len(deep), 3)]
assert all(deep[k] == deep[k + 1] == deep[k + 2] for k in range(0, len(deep), 3)), "not grey"
assert not any(grey[:top * width]) and not any(grey[bottom * width:]), "the bands are not black"
def widen(v, bits):
    v >>= 8 - bits
    return v << (8 - bits) | v >> (2 * bits - 8)
for k, g in enumerate(grey):
    want = (widen(g, 5), widen(g, 6), widen(g, 5))
    assert tuple(sixteen[3 * k:3 * k + 3]) == want, f"pixel {k}: {g} at 32 bits, {tuple(sixteen[3 * k:3 * k + 3])} at 16"
finer = {g for g in grey if (widen(g, 5), widen(g, 6)) != (g, g)}
assert finer, "every level is one 5-6-5 shows: nothing tells the depths apart"
print(f"{len(set(grey))} grey levels at 32 bits, {len(finer)} of them finer than 5-6-5 shows;"
      " the 16-bit picture is their palette entries")
PY
