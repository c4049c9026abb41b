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
        scripts/measure_cpu.py [SECONDS] [WIDTHxHEIGHT[+WIDTHxHEIGHT...]] [ROUNDS]

Needs /usr/libexec/xscreensaver/slidescreen (Debian: xscreensaver-data),
installed for this comparison only; not run by test.sh.

With a desk of several monitors side by side (WxH+WxH..., the primary
first), it measures the saver on that desk (its own CPU and its boards',
its X server's and its Wine server's) side by side with the saver alone
on one monitor of each of those sizes, each on its own Xvfb, over the same
seconds: the goal is that the desk costs at most what its monitors cost
one by one (N x one monitor's, for N alike)."""

import statistics
import subprocess
import sys
import time
from contextlib import ExitStack
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "win32" / "wine"))
from wine_harness import Session, host_path, wine_arch  # noqa: E402
import harness  # noqa: E402  (on the path wine_harness sets)
from harness import cpu_percent  # noqa: E402

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


def desk_round(sizes, seconds):
    """Percent of a core, own (boards too) + X + Wine server: the saver on
    the desk, and alone on each of its monitors' sizes."""
    monitors, left = [], 0
    for width, height in sizes:
        monitors.append((left, 0, width, height))
        left += width
    with ExitStack() as stack:
        desk = stack.enter_context(Session("cpu-desk", screen=(left, max(h for _, h in sizes)),
                                           monitors=monitors))
        alone = [stack.enter_context(Session(f"cpu-alone-{i}", screen=size))
                 for i, size in enumerate(sizes)]
        savers = []
        for s in (desk, *alone):
            s.set_root_picture(s.sample_desktop())
            savers.append(s.start(["/s"]))
        for s in (desk, *alone):
            s.wait_window(TITLE)
        time.sleep(WARM_UP)
        boards = desk.board_pids()
        assert len(boards) == len(sizes) - 1, f"{len(boards)} boards for {len(sizes)} monitors"
        groups = [[savers[0].pid, *boards], [desk.xvfb.pid], [wineserver_pid(desk.prefix)]]
        for s, saver in zip(alone, savers[1:]):
            groups += [[saver.pid], [s.xvfb.pid], [wineserver_pid(s.prefix)]]
        pids = [pid for group in groups for pid in group]
        shares = dict(zip(pids, cpu_percent(pids, seconds)))
        assert all(s.is_running(saver) for s, saver in zip((desk, *alone), savers)), \
            "a saver ended while measured"
        assert all(harness.alive(pid) for pid in boards), "a board ended while measured"
    sums = [sum(shares[pid] for pid in group) for group in groups]
    return sums[0:3], [sums[i:i + 3] for i in range(3, len(sums), 3)]


def desk_main(text, seconds, rounds):
    sizes = [tuple(map(int, part.split("x"))) for part in text.split("+")]
    print(f"a desk of {text.replace('+', ' + ')}, and each monitor alone; {seconds:.0f} s a round,"
          f" Wine {wine_arch()}; percent of one core, own + X + Wine server")
    ratios = []
    for number in range(1, rounds + 1):
        desk, alone = desk_round(sizes, seconds)
        ratios.append(sum(desk) / sum(sum(one) for one in alone))
        print(f"  round {number}: the desk " + " + ".join(f"{v:.2f}" for v in desk) +
              "; alone " + "; ".join(" + ".join(f"{v:.2f}" for v in one) for one in alone) +
              f"; the desk to its monitors alone {ratios[-1]:.2f}", flush=True)
    print(f"  median: {statistics.median(ratios):.2f} x its monitors alone (goal: at most 1)")


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
    size = sys.argv[2] if len(sys.argv) > 2 else "1920x1080"
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    if "+" in size:
        return desk_main(size, seconds, rounds)
    width, height = map(int, size.split("x"))
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
