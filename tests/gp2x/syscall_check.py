#!/usr/bin/env python3
"""Every system call instruction of an executable, from objdump -d on standard input, is
dual-encoded (swi #(0x900000|n) right after r7 is set to n; ARM-private: 0x9f0000|k), none is
swi 0, and none makes a call listed in ABI_DIFFERING (they differ between the two ARM ABIs).
    arm-linux-gnueabi-objdump -d EXE | syscall_check.py NAME ABI_DIFFERING"""
import re, sys
# calls whose structures or arguments differ between the ABIs (a kernel with both takes the
# old-ABI table for a dual-encoded call), from the list the C library is built with
forbidden = {int(l.split()[0]) for l in open(sys.argv[2]) if l.strip() and not l.startswith("#")}
# objdump: address, bytes, mnemonic, operands (tab-separated)
lines = []
for l in sys.stdin:
    if re.match(r"^ *[0-9a-f]+:\t", l):
        f = l.rstrip("\n").split("\t")
        lines.append((f[2].strip() if len(f) > 2 else "", f[3].strip() if len(f) > 3 else ""))
bad, count, numbers = [], 0, set()
for i, (op, args) in enumerate(lines):
    if op not in ("svc", "swi"):
        continue
    count += 1
    imm = int(args.lstrip("#").split()[0], 0)
    base = imm & 0xff0000
    want = imm - 0x900000 if base in (0x900000, 0x9f0000) else None
    r7, ok = 0, False
    for back in range(1, 6):  # r7: mov #a, then orr #b; nothing else may write it between
        pop, pargs = lines[i - back]
        m = re.match(r"r7, (r7, )?#(\d+)", pargs)
        if pop in ("mov", "orr") and m:
            r7 |= int(m.group(2))
            if pop == "mov":
                ok = True
                break
        elif re.match(r"r7\b", pargs) or (pop.startswith(("pop", "ldm")) and "r7" in pargs):
            break
    if want is None or not ok or r7 != want:
        bad.append(f"{op} {args}")
    elif base == 0x900000:
        numbers.add(want)
made = sorted(numbers & forbidden)
print(f"{sys.argv[1]}: {count} system-call instructions, every one dual-encoded" if not bad and not made
      else f"FAILED: {sys.argv[1]}")
for b in bad[:5]:
    print("  not dual-encoded:", b)
if made:
    print("  calls that differ between the ABIs:", made)
sys.exit(1 if bad or made else 0)
