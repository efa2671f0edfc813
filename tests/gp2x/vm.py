#!/usr/bin/env python3
"""Runs a full-system qemu with its serial console on a pipe and its monitor on QMP: logs every
console line with its time, and dumps the screen every EVERY seconds from a line DUMPS_START to a
line DUMPS_STOP (OUT/dump-NNN.ppm). Ends when the guest powers off, or kills qemu after LIMIT s.
STALLS (seconds after DUMPS_START, comma-separated) stops qemu for STALL_MS each time, as a host
too busy to run it would, and logs "STALL from T s" (T on the log's own clock) "for MS ms" (the
sound check allows an underrun only near one). With --memory-screen ADDR the screen is a 320x240
framebuffer of 24-bit pixels (red in the third byte) in the guest's memory at ADDR, which no
display of qemu's shows: it is read from there instead.
    vm.py OUT LIMIT EVERY [--stalls STALLS --stall-ms STALL_MS] [--memory-screen ADDR]
          -- qemu-system-arm ARGS..."""
import json
import os
import select
import signal
import socket
import subprocess
import sys
import time

out, limit, every = sys.argv[1], float(sys.argv[2]), float(sys.argv[3])
options = sys.argv[4:sys.argv.index("--")]
qemu = sys.argv[sys.argv.index("--") + 1:]
stalls = [float(x) for x in options[options.index("--stalls") + 1].split(",")] if "--stalls" in options else []
stall_ms = float(options[options.index("--stall-ms") + 1]) if "--stall-ms" in options else 0
memory_screen = int(options[options.index("--memory-screen") + 1], 0) if "--memory-screen" in options else None
WIDTH, HEIGHT = 320, 240
os.makedirs(out, exist_ok=True)
sock_path = os.path.join(out, "qmp.sock")
if os.path.exists(sock_path):
    os.unlink(sock_path)
vm = subprocess.Popen(qemu + ["-qmp", f"unix:{sock_path},server=on,wait=off", "-serial", "stdio",
                              "-monitor", "none", "-display", "none", "-no-reboot"],
                      stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
began = time.monotonic()
log = open(os.path.join(out, "console.log"), "w")


def note(text):
    log.write(f"[{time.monotonic() - began:7.2f}] {text}\n")
    log.flush()


monitor = None


def qmp(command, **arguments):
    global monitor
    if monitor is None:
        s = socket.socket(socket.AF_UNIX)
        s.connect(sock_path)
        monitor = s.makefile("rw")
        monitor.readline()  # the greeting
        monitor.write(json.dumps({"execute": "qmp_capabilities"}) + "\n")
        monitor.flush()
        monitor.readline()
    monitor.write(json.dumps({"execute": command, "arguments": arguments}) + "\n")
    monitor.flush()
    while True:  # events may come before the answer
        answer = json.loads(monitor.readline())
        if "return" in answer or "error" in answer:
            return answer


pending, next_dump, dumps, started = b"", None, 0, None
try:
    while True:
        now = time.monotonic()
        if now - began > limit:
            note(f"TIMEOUT after {limit:.0f} s: qemu killed")
            break
        if started is not None and stalls and now >= started + stalls[0]:
            stalls.pop(0)
            vm.send_signal(signal.SIGSTOP)
            stopped = time.monotonic()
            time.sleep(stall_ms / 1000)
            vm.send_signal(signal.SIGCONT)
            note(f"STALL from {stopped - began:.3f} s ({stopped - started:.3f} s after DUMPS_START) for "
                 f"{(time.monotonic() - stopped) * 1000:.0f} ms: qemu stopped")
        if next_dump is not None and now >= next_dump:
            dumps += 1
            next_dump += every
            path = os.path.abspath(f"{out}/dump-{dumps:03d}.ppm")
            if memory_screen is None:
                answer = qmp("screendump", filename=path)
            else:
                answer = qmp("pmemsave", val=memory_screen, size=WIDTH * HEIGHT * 3, filename=path + ".raw")
                if "error" not in answer:
                    raw = open(path + ".raw", "rb").read()
                    os.unlink(path + ".raw")
                    rgb = bytearray(len(raw))
                    rgb[0::3], rgb[1::3], rgb[2::3] = raw[2::3], raw[1::3], raw[0::3]
                    open(path, "wb").write(b"P6\n%d %d\n255\n" % (WIDTH, HEIGHT) + bytes(rgb))
            note(f"screen dump {dumps}: {'error' if 'error' in answer else 'taken'}")
        ready, _, _ = select.select([vm.stdout], [], [], 0.1)
        if not ready:
            if vm.poll() is not None:
                break
            continue
        data = os.read(vm.stdout.fileno(), 65536)
        if not data:
            break
        pending += data
        while b"\n" in pending:
            line, pending = pending.split(b"\n", 1)
            text = line.decode("utf-8", "replace").rstrip("\r")
            note(text)
            if "DUMPS_START" in text:
                started = time.monotonic()
                next_dump = started + every if every > 0 else None
            if "DUMPS_STOP" in text:
                next_dump = None
finally:
    if vm.poll() is None:
        vm.kill()
    vm.wait()
note(f"qemu ended with {vm.returncode} after {time.monotonic() - began:.1f} s")
