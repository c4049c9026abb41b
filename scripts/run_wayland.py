#!/usr/bin/python3
"""Runs the Wayland saver natively. With WAYLAND_DISPLAY set it runs there
until a click or a mouse move ends it. Without it, it runs under a private
headless sway showing the sample desktop, saves screenshots and a GIF of a
few seconds into out/ and prints their paths."""

import io
import os
import shutil
import subprocess
import sys
import time
from pathlib import Path

from PIL import Image

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "wayland"))
from wayland_harness import Session, use_native_build  # noqa: E402
from screen_gif import record_gif  # noqa: E402

use_native_build()

SCREEN = (1024, 768)
OUT = ROOT / "out"
GIF_SECONDS = 4.0


def on_private_compositor():
    OUT.mkdir(exist_ok=True)
    with Session("run-wayland", outputs=(SCREEN,)) as s:
        saver = s.start_saver()
        for name, moment in (("intro", 1.0), ("shuffle", 3.0), ("shuffle-later", 5.0)):
            time.sleep(max(0.0, saver.started + moment - time.monotonic()))
            path = OUT / f"wayland-{name}.png"
            shutil.copy(s.shot("HEADLESS-1"), path)
            print(path.relative_to(ROOT))

        def grab():
            ppm = subprocess.run(["grim", "-t", "ppm", "-o", "HEADLESS-1", "-"], env=s.env,
                                 capture_output=True, check=True, timeout=30).stdout
            return Image.open(io.BytesIO(ppm)).convert("RGB")

        gif = OUT / "wayland-shuffle.gif"
        frames = record_gif(None, gif, GIF_SECONDS, grab=grab)
        print(f"{gif.relative_to(ROOT)} ({frames} frames)")
        s.terminate(saver)


def main():
    if os.environ.get("WAYLAND_DISPLAY"):
        os.execv(os.environ["QUILLMERE_WAYLAND"], ["quillmere-wayland", *sys.argv[1:]])
    on_private_compositor()


if __name__ == "__main__":
    main()
