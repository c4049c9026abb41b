#!/usr/bin/python3
"""Runs quillmere.scr under Wine on the road a switch picks: /s (the saver),
/c (the settings dialog) or /p (the preview, in a stand-in host window).

With DISPLAY set it runs there until the saver or dialog is closed. Without
it, it runs on a private virtual screen showing the sample desktop, saves
screenshots into out/ and prints their paths."""

import os
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "win32" / "wine"))
from wine_harness import Session, _wine_env, base_prefix, scr_path, wine_loader  # noqa: E402

SCREEN = (1024, 768)
SAMPLE = ROOT / "build" / "native" / "headless" / "quillmere-sample"
OUT = ROOT / "out"


def start_preview(session):
    host = session.start_host("preview_host", [100, 100, 304, 224],
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    handle = host.stdout.readline().split()[1]
    session.start(["/p", handle])
    host.stdin.write("show\n")
    host.stdin.flush()
    return host


def on_virtual_screen(road):
    OUT.mkdir(exist_ok=True)
    with Session("run", screen=SCREEN) as s:
        desktop = s.artifact("desktop.png")
        subprocess.run([str(SAMPLE), "%dx%d" % SCREEN, str(desktop)], check=True)
        s.set_root_picture(desktop)
        if road == "/p":
            start_preview(s)
            moments = [("preview", 2.0)]
        elif road == "/c":
            s.start(["/c"])
            moments = [("settings", 3.0)]
        else:
            s.start(["/s"])
            moments = [("intro", 1.2), ("shuffle", 3.0), ("shuffle-later", 2.0)]
        for name, wait in moments:
            time.sleep(wait)
            path = OUT / f"wine-{name}.png"
            s.screenshot().save(path)
            print(path.relative_to(ROOT))


def on_this_display(road):
    env = _wine_env(base_prefix())
    if road == "/p":
        sys.exit("the preview needs a host window: run ./run.sh /p without DISPLAY")
    sys.exit(subprocess.run([wine_loader(), str(scr_path()), road], env=env).returncode)


def main():
    road = (sys.argv[1] if len(sys.argv) > 1 else "/s").lower()
    if road not in ("/s", "/c", "/p"):
        sys.exit(f"usage: run.sh [/s | /c | /p], not {road!r}")
    if os.environ.get("DISPLAY"):
        on_this_display(road)
    else:
        on_virtual_screen(road)


if __name__ == "__main__":
    main()
