#!/usr/bin/python3
"""The saver keeps its memory and GDI objects flat while it runs: resident
set of its process (VmRSS) and the live entries of its GDI handle table, at
the start of the shuffle and after a while. scripts/soak.py runs the same
for ten minutes."""

import re
import time
from pathlib import Path

from wine_harness import Session, run_cases

TITLE = "Quillmere Screensaver 1.0"
RSS_SLACK_KB = 2048  # heap and Wine caches settling, far below a leak per tick


def resident_kb(proc):
    status = Path(f"/proc/{proc.pid}/status").read_text()
    return int(re.search(r"VmRSS:\s+(\d+) kB", status).group(1))


def gdi_objects(session, windows_pid):
    words = session.wininfo("gui", windows_pid).split()
    count = int(words[3])
    assert count > 0, f"cannot count the saver's GDI objects: {words}"
    return count


def soak(seconds, screen=(1024, 768)):
    with Session("soak", screen=screen) as s:
        proc = s.start(["/s"])
        window = s.wait_window(TITLE)
        pid = re.search(r"pid=(\d+)", s.wininfo("windows", TITLE)).group(1)
        time.sleep(5.0)  # past the intro
        start = resident_kb(proc), gdi_objects(s, pid)
        time.sleep(seconds)
        assert s.is_running(proc), "the saver ended"
        end = resident_kb(proc), gdi_objects(s, pid)
        print(f"{seconds:.0f} s at {screen[0]} x {screen[1]}: resident {start[0]} -> {end[0]} kB, "
              f"GDI objects {start[1]} -> {end[1]}")
        assert end[0] - start[0] <= RSS_SLACK_KB, (start, end)
        assert end[1] <= start[1], (start, end)
        s.click(5, 5)
        assert s.wait_exit(proc, timeout=5) == 0
        return start, end


def case_soak_60s():
    soak(60)


if __name__ == "__main__":
    run_cases(globals())
