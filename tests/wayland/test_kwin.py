#!/usr/bin/python3
"""quillmere-wayland end to end under a private headless KWin, which has no
screencopy: as installed, each output shows the renderer's frames for the
picture KWin's screenshot interface gave of that output (each output its
own); not named by a desktop file, it gets the sample desktop and says why;
the input rules through KWin's fake input, mouse-like moves over three of
its connections among them; swayidle starts it through ext-idle-notify; a
click or a signal ends it cleanly."""

import re
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from kwin_harness import KWinSession  # noqa: E402
from wayland_harness import (SEED, binary, check_idle_start, check_input_rules, check_signals,  # noqa: E402
                             check_two_outputs, run_cases)
from harness import shot_tick, sleep_until  # noqa: E402


def case_each_output_its_own_picture_and_a_click_ends_both():
    with KWinSession("kwin-two") as s:
        check_two_outputs(s)


def case_not_named_by_a_desktop_file_it_shuffles_the_sample():
    """The build's own binary: no desktop file names it, so KWin refuses."""
    with KWinSession("kwin-refused") as s:
        sample = s.artifact("sample.png")  # the harness made it
        frames = s.render(sample, SEED, 150)
        saver = s.start([binary("WAYLAND")], env=dict(s.env, QUILLMERE_SEED=SEED))
        sleep_until(saver, 1.0)
        for name in s.names:
            assert frames.phase(shot_tick(s, frames, saver, name)) == "intro", name
        status, _ = s.terminate(saver)
        lines = sorted(saver.stderr.read().decode().splitlines())
        assert status == 0
        assert [line.split(" (")[0] for line in lines] == [f"quillmere-wayland: KWin gave no picture of {name}"
                                                         for name in s.names], lines
        assert all("NoAuthorized" in line and "desktop file" in line for line in lines), lines


def case_input_rules():
    with KWinSession("kwin-input", outputs=1) as s:
        check_input_rules(s, "Virtual-0")


def case_fifteen_mouse_moves_over_three_connections_end_it():
    """Relative moves, five on each of three fake-input connections (the
    seat's pointer comes and goes with each): ten ignored, the eleventh
    recorded, and the steps from it end the saver only at 3 pixels on both
    axes."""
    steps = [((0, 9), False), ((2, -9), False), ((0, 2), False), ((1, 1), True)]  # to (3, 3) in all
    with KWinSession("kwin-moves", outputs=1) as s:
        saver = s.start_saver(seed=SEED)
        sleep_until(saver, 1.0)
        for moves in ([(7, 5)] * 5, [(-7, -5)] * 5):  # ignored
            pointer = s.pointer()
            for move in moves:
                pointer.nudge(*move)
            s.kill(pointer.proc)
        pointer = s.pointer()
        pointer.nudge(1, 1)  # recorded
        for move, ends in steps:
            pointer.nudge(*move)
            if ends:
                assert s.wait_exit(saver, 2) == 0, f"the step {move} did not end it"
            else:
                time.sleep(0.3)
                assert s.is_running(saver), f"the step {move} ended it"


def case_swayidle_starts_it_through_ext_idle_notify():
    with KWinSession("kwin-idle", outputs=1) as s:
        log = s.artifact("swayidle.log")
        with open(log, "w") as protocol:
            check_idle_start(s, "Virtual-0", env={"WAYLAND_DEBUG": 1}, stderr=protocol)
        said = log.read_text()
        assert re.search(r"ext_idle_notifier_v1@\d+\.get_idle_notification", said) and \
            re.search(r"ext_idle_notification_v1@\d+\.idled", said), "not through ext-idle-notify"


def case_signals_end_it_cleanly():
    with KWinSession("kwin-signals") as s:
        check_signals(s)


if __name__ == "__main__":
    run_cases(globals())
