#!/usr/bin/python3
"""CPU of the X11 hack against slidescreen (Debian's xscreensaver-data), side
by side: each draws on the root window of its own private Xvfb of the same
size showing the sample desktop, both measured over the same seconds after
the hack's intro, so that the machine's load weighs on both alike. Counted:
each program's own CPU and its X server's, from /proc/PID/stat. Several
rounds; the ratio per round and its median. After building build/native:

    /usr/bin/python3 scripts/x11_cpu.py [SECONDS] [WIDTHxHEIGHT] [ROUNDS]"""

import statistics
import sys
import time
from contextlib import ExitStack
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "x11"))
from x11_harness import Session, binary, use_native_build  # noqa: E402
from harness import cpu_percent  # noqa: E402  (on the path x11_harness sets)

use_native_build("bench-x11")

SLIDESCREEN = ["/usr/libexec/xscreensaver/slidescreen", "-root", "-delay", "20000",
               "-delay2", "0", "-increment", "8"]
WARM_UP = 4.0  # past the hack's 2 s intro, and slidescreen's first grab


def one_round(size, seconds):
    """Percent of one core, (own, X) for the hack and for slidescreen."""
    with ExitStack() as stack:
        ours, theirs = (stack.enter_context(Session(f"cpu-{name}", screen=size))
                        for name in ("hack", "slidescreen"))
        for s in (ours, theirs):
            s.set_root(s.sample_desktop())
        hack = ours.start([binary("HACK"), "--root"])
        peer = theirs.start(SLIDESCREEN)
        time.sleep(WARM_UP)
        shares = cpu_percent([hack.pid, ours.xvfb.pid, peer.pid, theirs.xvfb.pid], seconds)
        assert ours.is_running(hack) and theirs.is_running(peer), "a program ended while measured"
    return shares[:2], shares[2:]


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 20.0
    size = tuple(map(int, (sys.argv[2] if len(sys.argv) > 2 else "1920x1080").split("x")))
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    if not Path(SLIDESCREEN[0]).exists():
        sys.exit(f"{SLIDESCREEN[0]} is missing: apt-get install xscreensaver-data")
    print(f"{size[0]} x {size[1]}, {seconds:g} s a round; percent of one core, own + X")
    ratios = []
    for number in range(1, rounds + 1):
        (own, x), (their_own, their_x) = one_round(size, seconds)
        ratios.append((own + x) / (their_own + their_x))
        print(f"  round {number}: quillmere --root {own:.2f} + {x:.2f} = {own + x:.2f};"
              f" slidescreen {their_own:.2f} + {their_x:.2f} = {their_own + their_x:.2f};"
              f" ratio {ratios[-1]:.2f}", flush=True)
    print(f"  median ratio: {statistics.median(ratios):.2f} (goal: at most 1.0)")


if __name__ == "__main__":
    main()
