#!/usr/bin/python3
"""How long quillmere.scr /s takes under Wine from its launch to the first
screenshot that shows tile frames, on each road one after the other: the
capture of the user's desktop, and a desktop of its own, open before the
saver starts as Windows has it at idle, without a wallpaper (the sample
desktop) and with a JPEG wallpaper of the screen's size. Best of ROUNDS (2) at each size; the goal
is that a desktop of its own takes at most 1.25 x the capture + 0.5 s.

    QUILLMERE_WIN_BUILD=build/win [QUILLMERE_WIN64_BUILD=build/win64] \\
        scripts/first_frame.py [ROUNDS] [WIDTHxHEIGHT...]

Exit status 1 when a goal is missed. Not run by test.sh."""

import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "win32" / "wine"))
from wine_harness import Session, windows_path  # noqa: E402

SAMPLE = ROOT / "build" / "native" / "headless" / "quillmere-sample"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
ROADS = ("capture", "own desktop", "own desktop, JPEG wallpaper")
SIZES = ((1920, 1080), (3840, 2160))


def first_frame(size, road):
    with Session("first-frame", screen=size) as s:
        picture = s.artifact("desktop.png")
        subprocess.run([str(SAMPLE), "%dx%d" % size, str(picture)], check=True)
        if road == "capture":
            s.set_root_picture(picture)
            return s.first_tile_frames(s.start(["/s"]))[0]
        desktop = "Screen-saver,%dx%d" % size
        s.open_desktop(desktop)
        if "JPEG" in road:
            jpeg = s.artifact("wallpaper.jpg")
            subprocess.run(["convert", str(picture), "-quality", "90", str(jpeg)], check=True)
            s.reg_add(DESKTOP_KEY, "Wallpaper", windows_path(jpeg))
            s.reg_add(DESKTOP_KEY, "WallpaperStyle", "10")
        return s.first_tile_frames(s.start(["/s"], desktop=desktop))[0]


def main():
    args = sys.argv[1:]
    rounds = int(args.pop(0)) if args and args[0].isdigit() else 2
    sizes = [tuple(map(int, a.split("x"))) for a in args] or SIZES
    met = True
    for size in sizes:
        times = {road: [] for road in ROADS}
        for _ in range(rounds):
            for road in ROADS:
                times[road].append(first_frame(size, road))
        best = {road: min(t) for road, t in times.items()}
        goal = 1.25 * best["capture"] + 0.5
        print(f"{size[0]} x {size[1]}, goal {goal:.2f} s:")
        for road in ROADS:
            verdict = "" if road == "capture" else "  met" if best[road] <= goal else "  MISSED"
            met &= best[road] <= goal
            print(f"  {road:28} {best[road]:5.2f} s  (of " +
                  ", ".join(f"{t:.2f}" for t in times[road]) + f"){verdict}")
    sys.exit(0 if met else 1)


if __name__ == "__main__":
    main()
