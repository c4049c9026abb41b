#!/usr/bin/python3
"""CPU of the X11 hack against slidescreen (Debian's xscreensaver-data), in
one run on one private Xvfb of 1920x1080 showing the sample desktop: each
program draws on the root window alone, and its CPU and the X server's are
read from /proc/PID/stat over the same seconds. Run on a quiet machine, after
building build/native:

    python3 scripts/x11_cpu.py [SECONDS]

Two windows are measured for each: the first SECONDS (the hack's intro, two
seconds of whole frames, included) and SECONDS of the shuffle after it."""

import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "x11"))
from x11_harness import Session, binary, use_native_build  # noqa: E402
from harness import cpu_percent  # noqa: E402  (on the path x11_harness sets)

use_native_build("bench-x11")

SLIDESCREEN = ["/usr/libexec/xscreensaver/slidescreen", "-root", "-delay", "20000",
               "-delay2", "0", "-increment", "8"]


def measure(s, proc, start, seconds):
    """Percent of one core, own and X server's, from start to start + seconds."""
    time.sleep(max(0.0, proc.started + start - time.monotonic()))
    return tuple(cpu_percent([proc.pid, s.xvfb.pid], seconds))


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
    if not Path(SLIDESCREEN[0]).exists():
        sys.exit(f"{SLIDESCREEN[0]} is missing: apt-get install xscreensaver-data")
    with Session("cpu", screen=(1920, 1080)) as s:
        s.set_root(s.sample_desktop())
        rows = []
        for name, args in (("quillmere --root", [binary("HACK"), "--root"]),
                           ("slidescreen", SLIDESCREEN)):
            proc = s.start(args)
            first = measure(s, proc, 0.2, seconds)
            later = measure(s, proc, 0.2 + seconds + 1.0, seconds)
            s.terminate(proc)
            s.set_root(s.artifact("desktop.png"))  # the next one starts from the desktop
            rows.append((name, first, later))
        print(f"CPU, percent of one core, 1920x1080, {seconds:g} s windows")
        print(f"{'':18} {'first: own':>11} {'X':>6} {'sum':>6}   {'later: own':>11} {'X':>6} {'sum':>6}")
        for name, (own1, x1), (own2, x2) in rows:
            print(f"{name:18} {own1:11.1f} {x1:6.1f} {own1 + x1:6.1f}   {own2:11.1f} {x2:6.1f} {own2 + x2:6.1f}")


if __name__ == "__main__":
    main()
