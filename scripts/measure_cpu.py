#!/usr/bin/python3
"""CPU of quillmere.scr /s under Wine against a Linux sliding-tile saver,
side by side: each on its own Xvfb of the same size showing the same sample
desktop, both measured over the same seconds, so that the load of the
machine weighs on both alike. Counted: the saver's own CPU (utime + stime
from /proc), its Wine server's and its X server's; slidescreen's own and its
X server's. Several rounds; the ratios are reported per round and as medians.

    QUILLMERE_WIN_BUILD=build/win [QUILLMERE_WIN64_BUILD=build/win64] \\
        scripts/measure_cpu.py [SECONDS] [WIDTHxHEIGHT] [ROUNDS]

Needs /usr/libexec/xscreensaver/slidescreen (Debian: xscreensaver-data),
installed for this comparison only; not run by test.sh."""

import statistics
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "win32" / "wine"))
from wine_harness import Session, wine_arch  # noqa: E402
from harness import cpu_percent  # noqa: E402  (on the path wine_harness sets)

SLIDESCREEN = ["/usr/libexec/xscreensaver/slidescreen", "-root", "-delay", "20000",
               "-delay2", "0", "-increment", "8"]
SAMPLE = ROOT / "build" / "native" / "headless" / "quillmere-sample"
TITLE = "Quillmere Screensaver 1.0"
WARM_UP = 4.0  # past our intro, and slidescreen's grab


def wineserver_pid(prefix):
    """The Wine server of `prefix`: it does part of the saver's work."""
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
    """Percent of a core: (own, wineserver, X) for ours, (own, X) for theirs."""
    with Session("cpu-ours", screen=(width, height)) as s, \
            Session("cpu-theirs", screen=(width, height)) as t:
        desktop = s.artifact("desktop.png")
        subprocess.run([str(SAMPLE), f"{width}x{height}", str(desktop)], check=True)
        s.set_root_picture(desktop)
        t.set_root_picture(desktop)
        ours = s.start(["/s"])
        s.wait_window(TITLE)
        theirs = subprocess.Popen(SLIDESCREEN, env=dict(t.env), stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        try:
            time.sleep(WARM_UP)
            shares = cpu_percent([ours.pid, wineserver_pid(s.prefix), s.xvfb.pid,
                                  theirs.pid, t.xvfb.pid], seconds)
            assert s.is_running(ours), "the saver ended while measured"
            assert theirs.poll() is None, "slidescreen ended while measured"
        finally:
            theirs.kill()
            theirs.wait()
            s.kill(ours)
    return shares[:3], shares[3:]


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
    width, height = map(int, (sys.argv[2] if len(sys.argv) > 2 else "1920x1080").split("x"))
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    print(f"{width} x {height}, {seconds:.0f} s a round, Wine {wine_arch()}:")
    own_x, with_server = [], []
    for number in range(1, rounds + 1):
        (own, server, x), (their_own, their_x) = one_round(width, height, seconds)
        reference = their_own + their_x
        own_x.append((own + x) / reference)
        with_server.append((own + server + x) / reference)
        print(f"  round {number}: quillmere.scr {own:.2f} own + {x:.2f} X"
              f" (+ {server:.2f} wineserver); slidescreen {their_own:.2f} own + {their_x:.2f} X;"
              f" ratio {own_x[-1]:.2f} ({with_server[-1]:.2f} with the Wine server)", flush=True)
    print(f"  median ratio: {statistics.median(own_x):.2f} own + X,"
          f" {statistics.median(with_server):.2f} with the Wine server (goal: at most 1.5)")


if __name__ == "__main__":
    main()
