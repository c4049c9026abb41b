#!/usr/bin/python3
"""CPU of quillmere-wayland for one output against the X11 hack at the same
size, side by side: the saver under a private headless sway with one
1920x1080 output, the hack with --root on a private 1920x1080 Xvfb, both
showing the sample desktop and both measured over the same seconds, so that
the machine's load weighs on both alike. Each reading is a percent of one
core from /proc/PID/stat: the program's own (for the saver, its board process
and the supervisor added) and its display server's. Several rounds; each
round's figures and ratio, and the medians. After building build/native:

    /usr/bin/python3 scripts/wayland_cpu.py [SECONDS] [ROUNDS]

Two windows a round: the intro (whole frames, from 0.2 s to 1.9 s) and
SECONDS of the shuffle after it. Before them, each display server's own
share with nothing to show, over 2 s: a headless sway wakes 60 times a
second for its output's frame clock even then, which the X server does not."""

import statistics
import sys
import time
from contextlib import ExitStack
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "wayland"))
sys.path.insert(0, str(ROOT / "tests" / "x11"))
import wayland_harness  # noqa: E402
import x11_harness  # noqa: E402
from harness import binary, cpu_percent  # noqa: E402

SIZE = (1920, 1080)
WINDOWS = ((0.2, 1.7), (2.5, None))  # (start after launch, seconds): the intro, the shuffle


def one_round(seconds):
    """The idle servers' shares, then for each window ((own, server) of the
    saver, (own, server) of the hack)."""
    with ExitStack() as stack:
        wl = stack.enter_context(wayland_harness.Session("cpu-wayland", outputs=(SIZE,)))
        x = stack.enter_context(x11_harness.Session("cpu-x11", screen=SIZE))
        x.set_root(x.sample_desktop())
        idle = cpu_percent([wl.server.pid, x.server.pid], 2.0)
        saver = wl.start_saver()
        hack = x.start([binary("HACK"), "--root"])
        time.sleep(0.1)
        pids = [saver.pid, *wl.boards(saver)]
        readings = []
        for start, length in WINDOWS:
            time.sleep(max(0.0, saver.started + start - time.monotonic()))
            shares = cpu_percent([*pids, wl.server.pid, hack.pid, x.server.pid], length or seconds)
            mine = (sum(shares[:len(pids)]), shares[len(pids)])
            readings.append((mine, tuple(shares[-2:])))
        assert wl.is_running(saver) and x.is_running(hack), "a program ended while measured"
    return idle, readings


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    wayland_harness.use_native_build()
    x11_harness.use_native_build("bench-x11")
    print(f"one {SIZE[0]}x{SIZE[1]} output; percent of one core, own + server; "
          f"intro 1.7 s, shuffle {seconds:g} s a round")
    ratios = {"intro": [], "shuffle": []}
    for number in range(1, rounds + 1):
        idle, readings = one_round(seconds)
        print(f"  round {number} idle   : sway {idle[0]:.2f}, Xvfb {idle[1]:.2f}")
        for name, ((own, server), (their_own, their_server)) in zip(ratios, readings):
            ratios[name].append((own + server) / (their_own + their_server))
            print(f"  round {number} {name:7}: quillmere-wayland {own:.2f} + {server:.2f} = {own + server:.2f};"
                  f" quillmere --root {their_own:.2f} + {their_server:.2f} = {their_own + their_server:.2f};"
                  f" ratio {ratios[name][-1]:.2f}", flush=True)
    for name, values in ratios.items():
        print(f"  median ratio, {name}: {statistics.median(values):.2f} (goal: at most 1.0)")


if __name__ == "__main__":
    main()
