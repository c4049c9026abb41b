#!/usr/bin/python3
"""Renders the README's picture, docs/quillmere.gif, with the project's own
renderer on the sample desktop: a moment of the desktop, the intro, then a
few slides, all at the saver's own pace. Run after building the native
preset (./run.sh --linux or ./test.sh do):

    /usr/bin/python3 scripts/readme_gif.py
"""

import subprocess
import sys
import tempfile
from pathlib import Path

from PIL import Image

from screen_gif import write_gif

ROOT = Path(__file__).resolve().parent.parent
RENDER = ROOT / "build" / "native" / "headless" / "quillmere-render"
GIF = ROOT / "docs" / "quillmere.gif"
SIZE, SEED = "480x360", 3
TICK_MS = 20
INTRO_EVERY, SLIDE_EVERY, LAST_TICK = 5, 2, 250


def main():
    if not RENDER.exists():
        sys.exit(f"{RENDER} is missing: build the native preset first")
    ticks = list(range(INTRO_EVERY, 101, INTRO_EVERY))
    ticks += list(range(100 + SLIDE_EVERY, LAST_TICK + 1, SLIDE_EVERY))
    with tempfile.TemporaryDirectory() as out:
        args = [RENDER, "--sample", "--size", SIZE, "--seed", str(SEED), "--ticks", str(LAST_TICK),
                "--out", out]
        for tick in [1, *ticks]:
            args += ["--frame", str(tick)]
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL)
        frames = [Image.open(Path(out) / f"frame-{t}.png").convert("RGB") for t in [1, *ticks]]
    # GIF delays run in hundredths: each frame stands for the ticks up to the
    # next, the intro's in steps of five, the slides' in twos.
    durations = [600] + [INTRO_EVERY * TICK_MS] * (100 // INTRO_EVERY)
    durations += [SLIDE_EVERY * TICK_MS] * (len(frames) - len(durations))
    GIF.parent.mkdir(exist_ok=True)
    write_gif(frames, GIF, durations)
    print(f"{GIF.relative_to(ROOT)}: {len(frames)} frames, {GIF.stat().st_size // 1024} KB")


if __name__ == "__main__":
    main()
