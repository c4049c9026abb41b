#!/usr/bin/python3
"""Runs the X11 hack natively. With DISPLAY set it runs there in a full-screen
window of its own until a click or a mouse move ends it. Without it, it runs
on a private virtual screen showing the sample desktop, saves screenshots
and a GIF of a few seconds into out/ and prints their paths."""

import os
import shutil
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "x11"))
from x11_harness import Session, use_native_build  # noqa: E402
from screen_gif import record_gif  # noqa: E402

use_native_build("run-x11")

SCREEN = (1024, 768)
OUT = ROOT / "out"
GIF_SECONDS = 4.0


def on_virtual_screen():
    OUT.mkdir(exist_ok=True)
    with Session("run", screen=SCREEN) as s:
        s.set_root(s.sample_desktop())
        hack = s.start_hack([])
        for name, moment in (("intro", 1.0), ("shuffle", 3.0), ("shuffle-later", 5.0)):
            time.sleep(max(0.0, hack.started + moment - time.monotonic()))
            path = OUT / f"linux-{name}.png"
            shutil.copy(s.shot(), path)
            print(path.relative_to(ROOT))
        gif = OUT / "linux-shuffle.gif"
        frames = record_gif(s.display, gif, GIF_SECONDS)
        print(f"{gif.relative_to(ROOT)} ({frames} frames)")
        s.terminate(hack)


def main():
    if os.environ.get("DISPLAY"):
        os.execv(os.environ["QUILLMERE_HACK"], ["quillmere", *sys.argv[1:]])
    on_virtual_screen()


if __name__ == "__main__":
    main()
