#!/usr/bin/python3
"""CPU of quillmere.scr /s under Wine, side by side with its floor and its
peer: the floor is tests/win32/wine/hosts/floor_window.exe, what any Wine
program with the saver's 20 ms timer and one tile-sized picture a tick costs;
the peer is Debian's slidescreen. Each runs on its own Xvfb of the same size
showing the same sample desktop, all measured over the same seconds, so
that the machine's load weighs on all alike. Counted: each program's own CPU
(utime + stime from /proc) and its X server's, and for the Wine programs
their Wine server's too. Several rounds; ratios per round and as medians.

    QUILLMERE_WIN_BUILD=build/win [QUILLMERE_WIN64_BUILD=build/win64] \\
        scripts/measure_cpu.py [SECONDS] [WIDTHxHEIGHT] [ROUNDS]

Needs /usr/libexec/xscreensaver/slidescreen (Debian: xscreensaver-data),
installed for this comparison only; not run by test.sh."""

import statistics
import subprocess
import sys
import time
from contextlib import ExitStack
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "win32" / "wine"))
from wine_harness import Session, host_path, wine_arch  # noqa: E402
from harness import cpu_percent  # noqa: E402  (on the path wine_harness sets)

SLIDESCREEN = ["/usr/libexec/xscreensaver/slidescreen", "-root", "-delay", "20000",
               "-delay2", "0", "-increment", "8"]
SAMPLE = ROOT / "build" / "native" / "headless" / "quillmere-sample"
TITLE = "Quillmere Screensaver 1.0"
WARM_UP = 4.0  # past our intro, and slidescreen's grab


def wineserver_pid(prefix):
    """The Wine server of `prefix`: it does part of its programs' work."""
    wanted = f"WINEPREFIX={prefix}".encode()
    for entry in Path("/proc").iterdir():
        try:
            if (entry.name.isdigit() and (entry / "comm").read_text().startswith("wineserver")
                    and wanted in (entry / "environ").read_bytes().split(b"\0")):
                return int(entry.name)
        except OSError:
            continue
    raise RuntimeError("no wineserver for " + str(prefix))


def one_round(width, height, seconds):
    """Percent of a core, own + X (+ Wine server), for ours, the floor, the peer."""
    with ExitStack() as stack:
        ours, floor, peer = (stack.enter_context(Session(f"cpu-{name}", screen=(width, height)))
                             for name in ("ours", "floor", "peer"))
        desktop = ours.artifact("desktop.png")
        subprocess.run([str(SAMPLE), f"{width}x{height}", str(desktop)], check=True)
        for s in (ours, floor, peer):
            s.set_root_picture(desktop)
        saver = ours.start(["/s"])
        ours.wait_window(TITLE)
        bare = floor.start([], exe=host_path("floor_window"))
        floor.wait_window("Floor")
        theirs = subprocess.Popen(SLIDESCREEN, env=dict(peer.env), stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        stack.callback(lambda: (theirs.kill(), theirs.wait()))
        time.sleep(WARM_UP)
        pids = [saver.pid, ours.xvfb.pid, wineserver_pid(ours.prefix),
                bare.pid, floor.xvfb.pid, wineserver_pid(floor.prefix),
                theirs.pid, peer.xvfb.pid]
        shares = cpu_percent(pids, seconds)
        assert ours.is_running(saver) and floor.is_running(bare) and theirs.poll() is None, \
            "a program ended while measured"
    return shares[0:3], shares[3:6], shares[6:8]


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
    width, height = map(int, (sys.argv[2] if len(sys.argv) > 2 else "1920x1080").split("x"))
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    print(f"{width} x {height}, {seconds:.0f} s a round, Wine {wine_arch()}; percent of one core,"
          " own + X (+ Wine server)")
    to_floor, to_peer = [], []
    for number in range(1, rounds + 1):
        (own, x, server), (bare, bare_x, bare_server), (their_own, their_x) = \
            one_round(width, height, seconds)
        to_floor.append((own + x + server) / (bare + bare_x + bare_server))
        to_peer.append((own + x) / (their_own + their_x))
        print(f"  round {number}: quillmere.scr {own:.2f} + {x:.2f} (+ {server:.2f});"
              f" floor {bare:.2f} + {bare_x:.2f} (+ {bare_server:.2f});"
              f" slidescreen {their_own:.2f} + {their_x:.2f};"
              f" to the floor {to_floor[-1]:.2f}, to slidescreen {to_peer[-1]:.2f}", flush=True)
    print(f"  median: {statistics.median(to_floor):.2f} x the floor (goal: at most 1.1),"
          f" {statistics.median(to_peer):.2f} x slidescreen")


if __name__ == "__main__":
    main()
