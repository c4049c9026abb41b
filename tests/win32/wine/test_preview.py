#!/usr/bin/python3
"""The preview painter: waits for the host's window to show, paints MINIBMP
over it while it is visible, and ends when it is hidden or destroyed."""
import subprocess
import time
from pathlib import Path

from wine_harness import Session, load_image, run_cases

MINIBMP = Path(__file__).resolve().parents[3] / "win32" / "resources" / "minibmp.bmp"
HOST_BACKGROUND = bytes((255, 0, 255))
NO_HOST_WINDOW = 2
# How soon after the host hides its window the painter must be gone.
EXIT_BOUND = 0.25


class Host:
    """preview_host.exe: a borderless window at a given place, shown, hidden
    or destroyed on request."""

    def __init__(self, session, left, top, width, height):
        self.proc = session.start_host("preview_host", [left, top, width, height],
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        words = self.proc.stdout.readline().split()
        assert words and words[0] == "handle", words
        self.handle = int(words[1])

    def tell(self, command, reply):
        self.proc.stdin.write(command + "\n")
        self.proc.stdin.flush()
        assert self.proc.stdout.readline().strip() == reply


def time_exit(session, proc):
    start = time.monotonic()
    code = session.wait_exit(proc, 5)
    return code, time.monotonic() - start


def case_late_show_exact():
    picture = load_image(MINIBMP)
    assert (picture.width, picture.height) == (152, 112)
    with Session("preview-exact", screen=(640, 480)) as s:
        host = Host(s, 100, 80, 152, 112)
        proc = s.start(["/p", str(host.handle)])
        time.sleep(1.0)
        assert s.is_running(proc), "the painter gave up on a hidden window"
        waiting_cpu = s.cpu_percent(proc, 1.0)
        before = s.screenshot().crop(100, 80, 152, 112)
        assert HOST_BACKGROUND not in before.colours()
        assert before.data != picture.data, "painted before the window was visible"

        host.tell("show", "shown")
        time.sleep(0.5)
        painting_cpu = s.cpu_percent(proc, 2.0)
        shown = s.screenshot().crop(100, 80, 152, 112)
        if shown.data != picture.data:
            shown.save(s.artifact("shown.png"))
            raise AssertionError(f"the host does not show MINIBMP 1:1; see {s.artifact('shown.png')}")
        print(f"preview CPU: waiting {waiting_cpu:.1f} %, painting {painting_cpu:.1f} % of a core")
        assert waiting_cpu < 20 and painting_cpu < 20

        host.tell("hide", "hidden")
        code, seconds = time_exit(s, proc)
        print(f"preview ended {seconds * 1000:.0f} ms after the hide")
        assert code == 0, code
        assert seconds < EXIT_BOUND, seconds


def nearest_source(x, size, source_size):
    return x * source_size // size


def case_stretched():
    picture = load_image(MINIBMP)
    left, top, width, height = 40, 30, 300, 200
    with Session("preview-stretch", screen=(640, 480)) as s:
        host = Host(s, left, top, width, height)
        proc = s.start(["/p", str(host.handle)])
        time.sleep(0.3)
        host.tell("show", "shown")
        time.sleep(0.5)
        shown = s.screenshot().crop(left, top, width, height)
        wrong = []
        for y in range(height):
            for x in range(width):
                sx = nearest_source(x, width, picture.width)
                sy = nearest_source(y, height, picture.height)
                near = {picture.pixel(min(max(sx + dx, 0), picture.width - 1),
                                      min(max(sy + dy, 0), picture.height - 1))
                        for dx in (-1, 0, 1) for dy in (-1, 0, 1)}
                if shown.pixel(x, y) not in near:
                    wrong.append((x, y))
        if wrong:
            shown.save(s.artifact("stretched.png"))
            raise AssertionError(f"{len(wrong)} pixels are not MINIBMP's, first {wrong[:5]}; "
                                 f"see {s.artifact('stretched.png')}")
        for x, y, sx, sy in ((0, 0, 0, 0), (width - 1, 0, 151, 0), (0, height - 1, 0, 111),
                             (width - 1, height - 1, 151, 111)):
            assert shown.pixel(x, y) == picture.pixel(sx, sy), (x, y)

        host.tell("destroy", "destroyed")
        code, seconds = time_exit(s, proc)
        print(f"preview ended {seconds * 1000:.0f} ms after the destroy")
        assert code == 0, code
        assert seconds < EXIT_BOUND, seconds


def case_window_gone_while_waiting():
    with Session("preview-gone") as s:
        host = Host(s, 10, 10, 152, 112)
        proc = s.start(["/p", str(host.handle)])
        time.sleep(1.0)
        assert s.is_running(proc)
        host.tell("destroy", "destroyed")
        code, seconds = time_exit(s, proc)
        assert code == NO_HOST_WINDOW, code
        assert seconds < EXIT_BOUND, seconds


def case_bad_handles():
    with Session("preview-bad") as s:
        for argument in ("", "12a", "99999999999", "-5", "$FFFFFFFF"):
            proc = s.start(["/p", argument])
            box = s.wait_window("Quillmere Screensaver",
                                predicate=lambda w: w.visible and w.cls == "#32770")
            assert s.is_running(proc), argument
            s.move_mouse((box.rect[0] + box.rect[2]) // 2, (box.rect[1] + box.rect[3]) // 2)
            s.key("Return")
            assert s.wait_exit(proc, 5) == 1, argument


if __name__ == "__main__":
    run_cases(globals())
