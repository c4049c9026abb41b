#!/usr/bin/python3
"""The saver's input rules end to end: which pointer movements, buttons and
keys end quillmere.scr /s, and which do not."""

import time

from wine_harness import Session, run_cases

TITLE = "Quillmere Screensaver 1.0"
SETTLE = 0.25  # seconds for Wine to deliver one input event


def start_saver(session):
    session.move_mouse(200, 200)
    proc = session.start(["/s"])
    session.wait_window(TITLE)
    time.sleep(0.5)
    return proc


def move(session, x, y):
    session.move_mouse(x, y)
    time.sleep(SETTLE)


def still_running(session, proc):
    time.sleep(SETTLE)
    return session.is_running(proc)


def case_pointer_rules():
    with Session("pointer") as s:
        proc = start_saver(s)
        # The first ten movements are ignored, however far they go. Showing
        # the window may itself count as one, so the tenth may be the one
        # that is recorded: the steps below hold either way.
        for i in range(10):
            move(s, 50 + 90 * i, 700 - 60 * i)
            assert still_running(s, proc), f"movement {i + 1} closed the saver"
        x, y = 50 + 90 * 9, 700 - 60 * 9
        move(s, x - 100, y)  # 100 pixels straight left
        assert still_running(s, proc), "a straight movement closed the saver"
        move(s, x - 102, y + 2)  # 2 pixels diagonally
        assert still_running(s, proc), "2 pixels diagonally closed the saver"
        move(s, x - 103, y + 3)  # 3 pixels on both axes
        assert s.wait_exit(proc, timeout=5) == 0


def case_button_closes():
    for button in (1, 3):
        with Session(f"button-{button}") as s:
            proc = start_saver(s)
            s.click(button=button)
            assert s.wait_exit(proc, timeout=5) == 0


def case_keys_do_not_close():
    with Session("keys") as s:
        proc = start_saver(s)
        for key in ("a", "z", "space", "Shift_L", "Left", "F5"):
            s.key(key)
            assert still_running(s, proc), f"key {key} closed the saver"
        s.click()
        assert s.wait_exit(proc, timeout=5) == 0


if __name__ == "__main__":
    run_cases(globals())
