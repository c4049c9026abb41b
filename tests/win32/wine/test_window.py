#!/usr/bin/python3
"""The saver window among other windows, and on an odd screen size: a window
passing over it leaves no hole, losing the foreground ends it, and a screen
of 801 x 599 (leftover strips on both edges) runs like any other."""

import subprocess
import time

from wine_harness import Session, run_cases
from harness import wait_for
from test_run import TITLE, Board, check_shuffle, make_desktop

MAGENTA = bytes((255, 0, 255))  # the passer-by's own background


def start_saver(s, width, height):
    desktop = make_desktop(s, width, height)
    proc = s.start(["/s"])
    window = s.wait_window(TITLE)
    assert window.rect == (0, 0, width, height), window.rect
    time.sleep(3.0)  # past the intro
    return desktop, proc


def start_passer_by(s, left, top, width, height):
    host = s.start_host("preview_host", [left, top, width, height], stdin=subprocess.PIPE,
                        stdout=subprocess.PIPE, text=True)
    assert host.stdout.readline().startswith("handle ")
    return host


def tell(host, command):
    host.stdin.write(command + "\n")
    host.stdin.flush()
    return host.stdout.readline().strip()


def case_window_over_leaves_no_hole():
    area = (300, 200, 300, 200)  # left, top, width, height: several cells
    with Session("window-over", screen=(1024, 768)) as s:
        desktop, proc = start_saver(s, 1024, 768)
        saver = s.wait_window(TITLE)
        host = start_passer_by(s, *area)
        assert tell(host, "over") == "shown"
        time.sleep(0.5)
        left, top, width, height = area
        over = s.screenshot().crop(left, top, width, height)
        assert over.colours() == {MAGENTA}, "the passer-by was not shown over the saver"
        assert s.is_running(proc), "a window shown without the foreground ended the saver"
        assert tell(host, "hide") == "hidden"
        # Wine restores the uncovered pixels itself; lose them as Windows
        # would, so that only the saver's repaint can bring them back.
        assert tell(host, f"stain {saver.hwnd}") == "stained"

        def stain_shown():
            return MAGENTA in s.screenshot().crop(left, top, width, height).colours()

        assert wait_for(stain_shown, 3), "the stain never reached the screen"
        assert tell(host, f"invalidate {saver.hwnd}") == "invalidated"
        # What was under the passer-by is the frame again: whole framed tiles
        # and the hole, no trace of the passer-by, no black gap. Within a
        # second, too soon for slides alone to cover the several cells.
        deadline = time.monotonic() + 1.0
        while True:
            time.sleep(0.1)
            shot = s.screenshot()
            stained = MAGENTA in shot.crop(left, top, width, height).colours()
            if not stained or time.monotonic() > deadline:
                break
        assert not stained, "the saver did not repaint what it was asked to"
        tiles, black = Board(shot, desktop).census()
        assert len(tiles) >= 58, (len(tiles), len(black))
        check_shuffle(s, desktop, shots=20)
        assert s.is_running(proc)
        s.click(5, 5)
        assert s.wait_exit(proc, timeout=5) == 0


def case_losing_foreground_closes():
    with Session("foreground", screen=(1024, 768)) as s:
        _, proc = start_saver(s, 1024, 768)
        host = start_passer_by(s, 100, 100, 200, 100)
        assert tell(host, "activate") == "shown"
        assert s.wait_exit(proc, timeout=5) == 0


def case_screen_801x599():
    with Session("odd-screen", screen=(801, 599)) as s:
        desktop, proc = start_saver(s, 801, 599)
        check_shuffle(s, desktop, shots=30)
        assert s.is_running(proc)
        s.click(400, 300)
        assert s.wait_exit(proc, timeout=5) == 0


if __name__ == "__main__":
    run_cases(globals())
