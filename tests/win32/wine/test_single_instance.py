#!/usr/bin/python3
"""Only one full-screen saver runs at a time; the marker goes with it."""
import os
import signal
import time

from wine_harness import Session, run_cases

TITLE = "Quillmere Screensaver 1.0"
SCREEN = (800, 600)


def saver_windows(session):
    return [w for w in session.windows(TITLE) if w.visible and w.client == SCREEN]


def wait_saver(session):
    return session.wait_window(TITLE, predicate=lambda w: w.visible and w.client == SCREEN)


def wait_no_saver(session, timeout=10):
    deadline = time.monotonic() + timeout
    while saver_windows(session):
        assert time.monotonic() < deadline, "the saver window stays"
        time.sleep(0.1)


def case_second_start():
    with Session("single-second", screen=SCREEN) as s:
        first = s.start(["/s"])
        wait_saver(s)
        second = s.start(["/s"])
        assert s.wait_exit(second, 10) == 0
        assert len(saver_windows(s)) == 1
        assert s.is_running(first)
        s.click(400, 300)
        assert s.wait_exit(first, 10) == 0
        wait_no_saver(s)

        # Once the first has ended, the next start runs again.
        third = s.start(["/s"])
        wait_saver(s)
        assert s.is_running(third)
        s.click(400, 300)
        assert s.wait_exit(third, 10) == 0


def case_after_kill():
    with Session("single-kill", screen=SCREEN) as s:
        first = s.start(["/s"])
        wait_saver(s)
        os.kill(first.pid, signal.SIGKILL)
        first.wait()
        wait_no_saver(s)
        next_one = s.start(["/s"])
        wait_saver(s)
        assert s.semaphore_present("ScreensaverSemaphore")
        assert s.is_running(next_one)
        s.click(400, 300)
        assert s.wait_exit(next_one, 10) == 0


if __name__ == "__main__":
    run_cases(globals())
