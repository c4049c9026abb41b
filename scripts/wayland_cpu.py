#!/usr/bin/python3
"""CPU of quillmere-wayland for one output against the X11 hack at the same
size: the saver under a private headless sway with one 1920x1080 output,
the hack with --root on a private 1920x1080 Xvfb, both showing the sample
desktop, one after the other. Each reading is a percent of one core from
/proc/PID/stat: the saver's own (its board process and the supervisor
added) and its display server's. Run on a quiet machine, after building
build/native:

    python3 scripts/wayland_cpu.py [SECONDS]

Two windows each: the first SECONDS (the intro, whole frames, included) and
SECONDS of the shuffle after it."""

import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "wayland"))
sys.path.insert(0, str(ROOT / "tests" / "x11"))
import wayland_harness  # noqa: E402
import x11_harness  # noqa: E402
from harness import binary, cpu_percent  # noqa: E402

SIZE = (1920, 1080)


def windows(saver, pids, server, seconds):
    """((own, server) first, (own, server) later), percent of one core."""
    readings = []
    for start in (0.2, 0.2 + seconds + 1.0):
        time.sleep(max(0.0, saver.started + start - time.monotonic()))
        shares = cpu_percent([*pids(), server.pid], seconds)
        readings.append((sum(shares[:-1]), shares[-1]))
    return readings


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
    wayland_harness.use_native_build()
    x11_harness.use_native_build("bench-x11")
    rows = []
    with wayland_harness.Session("cpu-wayland", outputs=(SIZE,)) as s:
        saver = s.start_saver()
        time.sleep(0.1)
        boards = s.boards(saver)
        rows.append(("quillmere-wayland", windows(saver, lambda: [saver.pid, *boards], s.server, seconds)))
    with x11_harness.Session("cpu-x11", screen=SIZE) as s:
        s.set_root(s.sample_desktop())
        hack = s.start([binary("HACK"), "--root"])
        rows.append(("quillmere --root", windows(hack, lambda: [hack.pid], s.server, seconds)))
    print(f"CPU, percent of one core, one {SIZE[0]}x{SIZE[1]} output, {seconds:g} s windows")
    print(f"{'':18} {'first: own':>11} {'server':>7} {'sum':>6}   {'later: own':>11} {'server':>7} {'sum':>6}")
    for name, ((own1, server1), (own2, server2)) in rows:
        print(f"{name:18} {own1:11.2f} {server1:7.2f} {own1 + server1:6.2f}   "
              f"{own2:11.2f} {server2:7.2f} {own2 + server2:6.2f}")


if __name__ == "__main__":
    main()
