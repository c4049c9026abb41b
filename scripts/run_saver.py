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
from wine_harness import Session, _wine_env, base_prefix, load_image, scr_path, wine_loader  # noqa: E402
from test_run import TITLE, Board, decode, intro_line_length, raw_screenshot  # noqa: E402
from screen_gif import record_gif  # noqa: E402

SCREEN = (1024, 768)
SAMPLE = ROOT / "build" / "native" / "headless" / "quillmere-sample"
OUT = ROOT / "out"
GIF_SECONDS = 4.0


def shoot_saver(session, desktop):
    """Screenshots at moments read off the saver's own window: the intro with
    its lines half grown, then two shuffle shots each with a tile mid-slide
    (no cell wholly black), then a few seconds of frames as a GIF."""
    session.wait_window(TITLE, timeout=30)
    board = lambda shot: Board(shot, desktop)
    shots, deadline = {}, time.monotonic() + 20
    while len(shots) < 3 and time.monotonic() < deadline:
        shot = decode(raw_screenshot(session))
        b = board(shot)
        if "intro" not in shots:
            if intro_line_length(b) >= b.tw // 2:
                shots["intro"] = shot
            continue
        if intro_line_length(b) < b.tw:
            continue  # still the intro
        if not any(b.is_black(col, row) for col in range(8) for row in range(8)):
            shots["shuffle" if "shuffle" not in shots else "shuffle-later"] = shot
            time.sleep(1.0)
    for name, shot in shots.items():
        path = OUT / f"wine-{name}.png"
        shot.save(path)
        print(path.relative_to(ROOT))
    gif = OUT / "wine-shuffle.gif"
    frames = record_gif(session.display, gif, GIF_SECONDS)
    print(f"{gif.relative_to(ROOT)} ({frames} frames)")


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
            shoot_saver(s, load_image(desktop))
            return
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
