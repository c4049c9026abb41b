#!/usr/bin/python3
"""Each command line reaches its road: the settings dialog, the full-screen
saver (which holds the single-instance semaphore), or the preview painter;
the board's switch, which only the saver gives its boards, given by hand
ends at once."""
import time

from wine_harness import Session, run_cases

TITLE = "Quillmere Screensaver 1.0"
SEMAPHORE = "ScreensaverSemaphore"
# The painter's exit code for a handle that names no window.
NO_HOST_WINDOW = 2
# A board's, for handles that are not a saver's handover.
NO_SAVER = 2


def dialog_of(session):
    return session.wait_window(TITLE, predicate=lambda w: w.visible and w.cls == "TMSetup")


def case_configure():
    with Session("dispatch-configure") as s:
        for args in ([], ["/c"], ["-C"], ["c:4711"], ["C"], ["/C:4711"]):
            proc = s.start(args)
            dialog = dialog_of(s)
            assert dialog.client == (292, 186), (args, dialog.client)
            assert not s.semaphore_present(SEMAPHORE), args
            s.close_window(TITLE)
            assert s.wait_exit(proc, 10) == 0, args


def case_run():
    with Session("dispatch-run", screen=(800, 600)) as s:
        for args in (["/s"], ["/S"], ["-s"], ["s"], ["/x"], ["hello"], ["/a"], ["-A"]):
            proc = s.start(args)
            saver = s.wait_window(TITLE, predicate=lambda w: w.visible and w.client == (800, 600))
            assert saver.rect == (0, 0, 800, 600), (args, saver.rect)
            assert s.semaphore_present(SEMAPHORE), args
            assert not [w for w in s.windows(TITLE) if w.cls == "TMSetup"], args
            s.click(400, 300)
            assert s.wait_exit(proc, 10) == 0, args
            assert not s.semaphore_present(SEMAPHORE), args


def case_preview():
    with Session("dispatch-preview") as s:
        for args in (["/p", "1234"], ["P", "1234"]):
            start = time.monotonic()
            proc = s.start(args)
            code = s.wait_exit(proc, 10)
            # No dialog, no saver, no message box: the painter found no window.
            assert code == NO_HOST_WINDOW, (args, code)
            assert time.monotonic() - start < 5, args
            assert not s.windows(TITLE), args
            assert not s.windows("Quillmere Screensaver"), args
            assert not s.semaphore_present(SEMAPHORE), args


def case_board_by_hand():
    with Session("dispatch-board") as s:
        for args in (["/board:4,8"], ["/BOARD:12,16"], ["/board:1,4294967295"], ["/board:x"],
                     ["/board:"], ["/board:4,8", "/s"]):
            start = time.monotonic()
            assert s.wait_exit(s.start(args), 10) == NO_SAVER, args
            assert time.monotonic() - start < 5, args
            assert not s.windows(TITLE) and not s.windows(TITLE + " board"), args
            assert not s.semaphore_present(SEMAPHORE), args


if __name__ == "__main__":
    run_cases(globals())
