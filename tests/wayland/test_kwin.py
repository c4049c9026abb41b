#!/usr/bin/python3
"""quillmere-wayland end to end under a private headless KWin, which has no
screencopy: as installed, each output shows the renderer's frames for the
picture KWin's screenshot interface gave of that output (each output its
own); not named by a desktop file, it gets the sample desktop and says why;
the input rules through KWin's fake input, mouse-like moves over three of
its connections among them; swayidle starts it through ext-idle-notify; a
click or a signal ends it cleanly."""

import re
import signal
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from kwin_harness import KWinSession  # noqa: E402
from wayland_harness import SEED, binary, check_idle_start, check_input_rules, run_cases, wait_for  # noqa: E402
from harness import shot_tick, sleep_until  # noqa: E402


def gone(pids):
    return not [p for p in pids if Path(f"/proc/{p}").exists()]


def case_each_output_its_own_picture_and_a_click_ends_both():
    with KWinSession("kwin-two") as s:
        mine = [s.render(d, SEED, 300) for d in s.desktops]
        saver = s.start_saver(seed=SEED)
        pointer = s.pointer()
        sleep_until(saver, 1.0)
        first = [shot_tick(s, frames, saver, name) for name, frames in zip(s.names, mine)]
        assert [frames.phase(tick) for frames, tick in zip(mine, first)] == ["intro"] * 2, first
        sleep_until(saver, 2.6)
        later = [shot_tick(s, frames, saver, name) for name, frames in zip(s.names, mine)]
        assert min(later) > 100, f"ticks {first} then {later}: not into the shuffle"
        boards = s.boards(saver)
        assert len(boards) == 2, f"{len(boards)} board processes for two outputs"
        pointer.move(512 + 200, 150)
        # The press ends it once let go, so the release reaches nothing beneath.
        pointer.button(1, "press")
        time.sleep(0.5)
        assert s.is_running(saver), "the saver ended before the button was let go"
        pointer.button(1, "release")
        assert s.wait_exit(saver, 3) == 0
        assert saver.stderr.read() == b"", "it said something"
        assert wait_for(lambda: gone(boards), 2), "a board outlived the saver"


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
        lines = saver.stderr.read().decode().splitlines()
        assert status == 0
        assert sorted(lines) == [f"quillmere-wayland: KWin gave no picture of {name} "
                                 "(org.kde.KWin.ScreenShot2.Error.NoAuthorized: The process is not "
                                 "authorized to take a screenshot); it gives one only to a program its "
                                 "desktop file names: the sample desktop instead" for name in s.names], lines


def case_input_rules():
    with KWinSession("kwin-input", outputs=1) as s:
        check_input_rules(s, "Virtual-0")


def case_fifteen_mouse_moves_over_three_connections_end_it():
    """Relative moves, five on each of three fake-input connections (the
    seat's pointer comes and goes with each): ten ignored, the eleventh
    recorded, and the steps from it end the saver only at 3 pixels on both
    axes."""
    ignored = [[(7, 5)] * 5, [(-7, -5)] * 5]
    steps = [((0, 9), False), ((2, -9), False), ((0, 2), False), ((1, 1), True)]  # to (3, 3) in all
    with KWinSession("kwin-moves", outputs=1) as s:
        saver = s.start_saver(seed=SEED)
        sleep_until(saver, 1.0)
        for moves in ignored:
            pointer = s.pointer()
            if moves is ignored[0]:
                pointer.move(200, 150)
                moves = moves[1:]
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
        for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            saver = s.start_saver()
            time.sleep(1.0)
            boards = s.boards(saver)
            assert len(boards) == 2
            status, seconds = s.terminate(saver, number)
            assert status == 0 and seconds < 1.0, f"{number!r}: status {status} after {seconds:.2f} s"
            assert saver.stderr.read() == b"", f"{number!r} made it say something"
            assert gone(boards), f"{number!r}: a board outlived the saver"


if __name__ == "__main__":
    run_cases(globals())
