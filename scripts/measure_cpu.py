#!/usr/bin/python3
"""CPU of quillmere.scr /s under Wine against a Linux sliding-tile saver,
each on its own Xvfb of the same size showing the same sample desktop, in
one run: the saver's own CPU (utime + stime of its process, from /proc)
plus its Wine server's and the X server's, over the same seconds of shuffling.

    QUILLMERE_WIN_BUILD=build/win [QUILLMERE_WIN64_BUILD=build/win64] \\
        scripts/measure_cpu.py [SECONDS] [WIDTHxHEIGHT]

Needs /usr/libexec/xscreensaver/slidescreen (Debian: xscreensaver-data),
installed for this comparison only; not run by test.sh."""

import os
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "win32" / "wine"))
from wine_harness import Session, wine_arch  # noqa: E402

SLIDESCREEN = ["/usr/libexec/xscreensaver/slidescreen", "-root", "-delay", "20000",
               "-delay2", "0", "-increment", "8"]
SAMPLE = ROOT / "build" / "native" / "headless" / "quillmere-sample"
TITLE = "Quillmere Screensaver 1.0"
WARM_UP = 4.0  # past our intro, and slidescreen's grab


def cpu_seconds(pid):
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


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


def measure(pids, seconds):
    """CPU share of one core, per PID, over the same `seconds`."""
    before, start = [cpu_seconds(p) for p in pids], time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    return [100.0 * (cpu_seconds(p) - b) / elapsed for p, b in zip(pids, before)]


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
    width, height = map(int, (sys.argv[2] if len(sys.argv) > 2 else "1920x1080").split("x"))
    with Session("cpu-ours", screen=(width, height)) as s:
        desktop = s.artifact("desktop.png")
        subprocess.run([str(SAMPLE), f"{width}x{height}", str(desktop)], check=True)
        s.set_root_picture(desktop)
        proc = s.start(["/s"])
        s.wait_window(TITLE)
        time.sleep(WARM_UP)
        ours, server, ours_x = measure([proc.pid, wineserver_pid(s.prefix), s._xvfb.pid],
                                       seconds)
        assert s.is_running(proc), "the saver ended while measured"
        s.kill(proc)
        with Session("cpu-theirs", screen=(width, height)) as t:
            t.set_root_picture(desktop)
            theirs_proc = subprocess.Popen(SLIDESCREEN, env=dict(t.env),
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            try:
                time.sleep(WARM_UP)
                theirs, theirs_x = measure([theirs_proc.pid, t._xvfb.pid], seconds)
                assert theirs_proc.poll() is None, "slidescreen ended while measured"
            finally:
                theirs_proc.kill()
                theirs_proc.wait()
    total, reference = ours + server + ours_x, theirs + theirs_x
    print(f"{width} x {height}, {seconds:.0f} s each, Wine {wine_arch()}:")
    print(f"  quillmere.scr /s: {ours:5.1f} % own + {server:5.1f} % wineserver + {ours_x:5.1f} % X"
          f" = {total:5.1f} % of a core")
    print(f"  slidescreen:      {theirs:5.1f} % own + {theirs_x:5.1f} % X = {reference:5.1f} %")
    print(f"  ratio: {total / reference:.2f} (goal: at most 1.5)")


if __name__ == "__main__":
    main()
