#!/usr/bin/python3
"""quillmere.scr /s on two and three monitors: each plays the renderer's
frames for its own part of the desktop; the pointer's rule or any button on
any of them ends all; the saver killed outright takes its boards along; a
monitor added gets a board, one removed loses it; the display's power
reaches every monitor; a press whose capture is taken ends them all."""

import functools
import os
import signal
import subprocess
import time

from wine_harness import Session, load_image, run_cases
import harness
from harness import check_places, rule_walk, shot_tick, wait_for
from test_monitors import edges, in_win32, screen_size
from test_run import TITLE
from test_window import start_passer_by, tell

SEED = 21
BOARD = "Quillmere Screensaver 1.0 board"
# X places (left, top, width, height), the primary first: in Win32's
# coordinates the others lie left of it, above it, or both, and are of other
# sizes than it.
LAYOUTS = {"left": ((640, 0, 800, 600), (0, 120, 640, 480)),
           "above_right": ((0, 480, 800, 600), (80, 0, 640, 480), (800, 560, 512, 384)),
           "left_above": ((640, 480, 800, 600), (0, 600, 640, 480), (720, 0, 720, 480))}
BUTTONS = (1, 2, 3, 8, 9)  # left, middle, right and the two side buttons
SETTLE = 0.25  # seconds for Wine to deliver one input event


def crop(s, picture, area):
    """Area (left, top, width, height) of a picture, as a PNG of its own."""
    load_image(picture).crop(*area).save(path := s.artifact("part-%d-%d-%dx%d.png" % area))
    return path


def start_saver(s, layout, desktop=None):
    """The saver over the sample desktop (or `desktop`), once every monitor
    shows its intro; returns the saver's process and the screen before."""
    s.set_root_picture(desktop or s.sample_desktop())
    before = s.screenshot()
    proc = s.start(["/s"], env=dict(s.env, QUILLMERE_SEED=str(SEED)))
    s.first_tile_frames(proc, timeout=30, areas=layout)
    return proc, before


def check_desk_back(s, before, proc, boards):
    """The saver and every board gone, and the whole desk as it was before."""
    assert s.wait_exit(proc, 5) == 0
    assert wait_for(lambda: not [p for p in boards if harness.alive(p)], 2), "a board stayed"
    assert wait_for(lambda: s.screenshot().data == before.data, 2), "a monitor stays covered"


def check_frames(name):
    layout = LAYOUTS[name]
    with Session(f"boards-{name}", screen=screen_size(layout), monitors=layout) as s:
        desktop = s.sample_desktop()
        frames = [s.render(crop(s, desktop, area), SEED, 300, area[2:]) for area in layout]
        proc, _ = start_saver(s, layout, desktop)
        seen = check_places(s, list(zip(layout, frames)), proc)
        print("ticks matched per monitor:", seen)
        assert len(s.board_pids()) == len(layout) - 1, "not one board process per other monitor"


def check_pointer(index):
    """The pointer's rule on one monitor ends every monitor's puzzle."""
    layout = LAYOUTS["left_above"]
    with Session(f"boards-pointer-{index}", screen=screen_size(layout), monitors=layout) as s:
        moves, steps = rule_walk(layout[index])
        s.move_mouse(*moves[0])
        proc, before = start_saver(s, layout)
        boards = s.board_pids()
        for place, ends in [(m, False) for m in moves] + steps:
            s.move_mouse(*place)
            if ends:
                return check_desk_back(s, before, proc, boards)
            time.sleep(SETTLE)
            assert s.is_running(proc), f"the move to {place} ended the saver"


def check_buttons(index):
    """Each button pressed on one monitor ends every monitor's puzzle once let
    go; the window beneath gets neither the press nor the release. Last, a
    press whose capture the window beneath takes (no release will come) ends
    them at once."""
    layout = LAYOUTS["left_above"]
    x, y, w, h = layout[index]
    with Session(f"boards-buttons-{index}", screen=screen_size(layout), monitors=layout) as s:
        host = start_passer_by(s, *in_win32(layout[0], (x + 50, y + 50, 200, 150))[:2], 200, 150)
        assert tell(host, "show") == "shown"
        for button in (*BUTTONS, None):
            s.move_mouse(x + 150, y + 125)
            proc, before = start_saver(s, layout)
            boards = s.board_pids()
            harness.xdotool(s.env, "mousedown", button or 1)
            time.sleep(harness.BUTTON_HELD)
            assert s.is_running(proc), f"button {button} ended the saver before it was let go"
            if button is None:
                mine = s.wait_window(BOARD if index else TITLE,
                                     predicate=lambda w: w.rect == in_win32(layout[0], layout[index]))
                assert tell(host, f"capture {mine.hwnd}") == "captured"
                return check_desk_back(s, before, proc, boards)
            harness.xdotool(s.env, "mouseup", button)
            check_desk_back(s, before, proc, boards)
            time.sleep(0.5)  # whatever reached the window beneath is said by now
            answer = tell(host, "show")
            assert answer == "shown", f"button {button} reached the window beneath: {answer}"


def check_killed(how):
    """The saver ended outright leaves no board and no covered monitor."""
    layout = LAYOUTS["above_right"]
    with Session(f"boards-killed-{how}", screen=screen_size(layout), monitors=layout) as s:
        proc, before = start_saver(s, layout)
        boards = s.board_pids()
        assert len(boards) == 2, boards
        if how == "terminate":
            pid = s.wait_window(TITLE).pid
            subprocess.run([s.loader, "taskkill", "/F", "/PID", str(pid)], env=s.env,
                           capture_output=True, timeout=30, check=True)
        else:
            os.kill(proc.pid, signal.SIGKILL)
        proc.wait(5)
        time.sleep(3.0)
        assert not [p for p in boards if harness.alive(p)], "a board outlived the saver"
        assert s.screenshot().data == before.data, "a monitor stays covered"


for layout in LAYOUTS:
    globals()[f"case_frames_{layout}"] = functools.partial(check_frames, layout)
for index in range(3):
    globals()[f"case_pointer_on_monitor_{index}"] = functools.partial(check_pointer, index)
    globals()[f"case_buttons_on_monitor_{index}"] = functools.partial(check_buttons, index)
for how in ("terminate", "kill"):
    globals()[f"case_saver_killed_by_{how}"] = functools.partial(check_killed, how)


def case_monitor_added_and_removed():
    """A monitor defined while the saver runs, then a display change that
    Wine makes (the primary's mode set again): it gets a board of its own,
    cut from what it showed; removed again, its board goes with it."""
    layout, added = LAYOUTS["left"], (1440, 100, 512, 384)
    with Session("boards-added", screen=screen_size(layout, [added]), monitors=layout) as s:
        desktop = s.sample_desktop()
        frames = s.render(crop(s, desktop, added), SEED, 300, added[2:])
        proc, _ = start_saver(s, layout, desktop)
        s.set_monitor("M2", edges(added))
        assert s.wininfo("display", *layout[0][2:]).split() == ["display", "0"]
        s.first_tile_frames(proc, timeout=30, areas=[added])
        assert frames.phase(shot_tick(s, frames, proc, added)) == "intro", "no intro of its own"
        assert len(s.board_pids()) == 2
        s.xrandr("--delmonitor", "M2")
        assert s.wininfo("display", *layout[0][2:]).split() == ["display", "0"]
        part = load_image(crop(s, desktop, added))
        assert wait_for(lambda: s.screenshot().crop(*added).data == part.data, 5), \
            "the removed monitor's board stayed"
        assert wait_for(lambda: len(s.board_pids()) == 1, 5)
        assert s.is_running(proc)


def moving(s, area, seconds):
    before = s.screenshot().crop(*area)
    time.sleep(seconds)
    return s.screenshot().crop(*area).data != before.data


def case_display_off_on_every_monitor():
    layout = LAYOUTS["left"]
    with Session("boards-display-off", screen=screen_size(layout), monitors=layout) as s:
        desktop = s.sample_desktop()
        frames = [s.render(crop(s, desktop, area), SEED, 300, area[2:]) for area in layout]
        proc, _ = start_saver(s, layout, desktop)
        for on in (False, True):
            for title in (TITLE, BOARD):
                s.wininfo("power", title, "console", int(on))
            time.sleep(0.2)
            for area, mine in zip(layout, frames):
                assert moving(s, area, 1.0) == on, \
                    f"{area}: " + ("no frames once the display is back" if on else "frames while it is off")
                if on:
                    shot_tick(s, mine, proc, area)  # the whole frame, as composed


if __name__ == "__main__":
    run_cases(globals())
