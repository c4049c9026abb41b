#!/usr/bin/python3
"""quillmere.scr /s beyond one monitor's desktop: the primary shows the board
as ever, every other monitor a black cover that hands the pointer to the
saver's rules and lets no click through; no frames while the display is off;
the sample desktop where the user's cannot be photographed."""

import functools
import os
import subprocess
import time

from wine_harness import Image, Session, load_image, run_cases, scr_path
from test_run import TITLE, Board, desktop_colour, make_desktop
from test_window import start_passer_by, tell

FLAGS = 0x8 | 0x80 | 0x8000000  # WS_EX_TOPMOST, WS_EX_TOOLWINDOW, WS_EX_NOACTIVATE
BLACK, GREY = bytes(3), bytes((128, 128, 128))
# X places of the primary and the other monitor; a point P of the primary's
# client area and the way from P onto the other monitor; what ends the saver.
LAYOUTS = {"right": ((0, 0, 1024, 768), (1024, 0, 800, 600), (1000, 300), (1, 0), "click"),
           "left_lower": ((800, 0, 1024, 768), (0, 200, 800, 600), (20, 400), (-1, 0), "move"),
           "above": ((0, 600, 1024, 768), (100, 0, 800, 600), (400, 20), (0, -1), "move")}


def covers(s):
    return [(w.rect, w.visible, w.exstyle & FLAGS) for w in s.windows("") if w.cls == "TMFormCover"]


def check_layout(name):
    (px, py, pw, ph), (ox, oy, ow, oh), p, way, end = LAYOUTS[name]
    size = (max(px + pw, ox + ow), max(py + ph, oy + oh))
    with Session(f"monitors-{name}", screen=size, monitors=LAYOUTS[name][:2]) as s:
        # A numbered primary, grey elsewhere, and a window the cover will hide.
        rows = [b"".join(bytes(desktop_colour(x, y)) for x in range(pw)) for y in range(ph)]
        screen = [GREY * size[0]] * size[1]
        screen[py:py + ph] = [GREY * px + row + GREY * (size[0] - px - pw) for row in rows]
        Image(*size, b"".join(screen)).save(s.artifact("screen.png"))
        s.set_root_picture(s.artifact("screen.png"))
        cover = (ox - px, oy - py, ox - px + ow, oy - py + oh)  # in Win32's coordinates
        q = (p[0] + 100 * way[0], p[1] + 100 * way[1])  # on the cover
        host = start_passer_by(s, q[0] - 50, q[1] - 50, 100, 100)
        assert tell(host, "show") == "shown"
        s.move_mouse(px + 10, py + 10)
        proc = s.start(["/s"])
        saver = s.wait_window(TITLE)
        assert (saver.rect, saver.exstyle & FLAGS) == ((0, 0, pw, ph), 0x88), saver
        assert covers(s) == [(cover, True, FLAGS)], covers(s)
        time.sleep(3.0)
        shot = s.screenshot()
        assert shot.crop(ox, oy, ow, oh).colours() == {BLACK}
        desktop = Image(pw, ph, b"".join(rows))
        assert len(Board(shot.crop(px, py, pw, ph), desktop).census()[0]) >= 58
        # Nine movements over the cover and P are the ignored ten (or P is
        # recorded, should showing the window count as one); then straight
        # on from P onto the cover, 2 pixels diagonally, and 3 (or a click).
        moves = [(cover[0] + 50 + 80 * i, cover[1] + 500 - 50 * i) for i in range(9)]
        for x, y in moves + [p, q, (q[0] + 2, q[1] + 2)]:
            s.move_mouse(px + x, py + y)
            time.sleep(0.25)
            assert s.is_running(proc), f"the movement to {x}, {y} closed the saver"
        if end == "click":
            s.click()  # where the pointer is: over the hidden window
        else:
            s.move_mouse(px + q[0] + 3, py + q[1] + 3)
        assert s.wait_exit(proc, timeout=5) == 0
        assert covers(s) == []
        assert tell(host, "hide") == "hidden", "the click went through the cover"


for layout in LAYOUTS:
    globals()[f"case_cover_{layout}"] = functools.partial(check_layout, layout)


def moving(s, seconds):
    before = s.screenshot()
    time.sleep(seconds)
    return s.screenshot().data != before.data


def case_display_off():
    with Session("display-off") as s:
        proc = s.start(["/s"])
        s.wait_window(TITLE)
        time.sleep(3.0)
        print(f"saver CPU, display on: {s.cpu_percent(proc, 3.0):.1f} % of one core")
        for setting, back in (("console", "2"), ("monitor", "1")):
            s.wininfo("power", TITLE, setting, "0")
            time.sleep(0.2)
            assert not moving(s, 1.0), f"frames while the display is off ({setting})"
            off = s.cpu_percent(proc, 3.0)
            print(f"saver CPU, display off ({setting}): {off:.1f} % of one core")
            assert off < 1.0
            s.wininfo("power", TITLE, setting, back)
            assert moving(s, 0.5), f"no frames once the display is back ({setting})"


def case_desktop_of_its_own():
    with Session("other-desktop") as s:
        make_desktop(s, 1024, 768)  # what the user's desktop shows
        sample = s.artifact("sample.png")
        subprocess.run([os.environ["QUILLMERE_SAMPLE"], "800x600", sample], check=True)
        s.start(["/desktop=Saver,800x600", "Z:" + str(scr_path()).replace("/", "\\"), "/s"],
                exe="explorer")
        time.sleep(4.0)
        shot, sample = s.screenshot(), load_image(sample)
        inside = lambda image, col, row: image.crop(col * 100 + 1, row * 75 + 1, 98, 73).data
        home = sum(inside(shot, c, r) == inside(sample, c, r) for c in range(8) for r in range(8))
        assert home >= 48, f"only {home} cells show the sample desktop's own tile"


if __name__ == "__main__":
    run_cases(globals())
