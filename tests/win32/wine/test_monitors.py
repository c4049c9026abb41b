#!/usr/bin/python3
"""quillmere.scr /s beyond one monitor's desktop: the primary shows the board
as ever, every other monitor a black cover beneath its own board that, where
the board is lost, hides the pointer, hands it to the saver's rules across
the edge and lets no button through; the saver
window and the covers follow a display change; no frames while the display
is off; the sample desktop where the user's cannot be photographed."""

import functools
import os
import signal
import subprocess
import time

from wine_harness import Image, Session, load_image, run_cases, scr_path, windows_path
import harness
from harness import COVER_BUTTONS, edge_walk, wait_for
from test_run import LAVENDER, TITLE, Board, desktop_colour, make_desktop
from test_wallpaper import BACKGROUND, noise, set_wallpaper
from test_window import start_passer_by, tell

FLAGS = 0x8 | 0x80 | 0x8000000  # WS_EX_TOPMOST, WS_EX_TOOLWINDOW, WS_EX_NOACTIVATE
BLACK, GREY = bytes(3), bytes((128, 128, 128))
# X places (left, top, width, height) of the primary and of the other
# monitor, offset from each other on both axes.
LAYOUTS = {"right_lower": ((0, 0, 1024, 768), (1024, 100, 800, 600)),
           "left_lower": ((800, 0, 1024, 768), (0, 200, 800, 600)),
           "above": ((0, 600, 1024, 768), (100, 0, 800, 600))}
# Showing the saver under the pointer is the first of the moves it ignores.
IGNORED_MOVES = 9


def covers(s):
    return [(w.rect, w.visible, w.exstyle & FLAGS) for w in s.windows("") if w.cls == "TMFormCover"]


def edges(area):
    left, top, width, height = area
    return left, top, left + width, top + height


def in_win32(primary, area):
    """An X rectangle in Win32's coordinates, which put the primary at (0, 0)."""
    left, top, right, bottom = edges(area)
    return left - primary[0], top - primary[1], right - primary[0], bottom - primary[1]


def screen_size(*layouts):
    return (max(x + w for layout in layouts for x, _, w, _ in layout),
            max(y + h for layout in layouts for _, y, _, h in layout))


def show_desktop(s, primary):
    """A numbered picture on the primary, grey elsewhere; returns the picture."""
    px, py, pw, ph = primary
    width, height = s.screen
    rows = [b"".join(bytes(desktop_colour(x, y)) for x in range(pw)) for y in range(ph)]
    screen = [GREY * width] * height
    screen[py:py + ph] = [GREY * px + row + GREY * (width - px - pw) for row in rows]
    Image(width, height, b"".join(screen)).save(s.artifact("screen.png"))
    s.set_root_picture(s.artifact("screen.png"))
    return Image(pw, ph, b"".join(rows))


def lose_boards(s):
    """Ends the other monitors' boards as a failed one ends, the saver going
    on: their monitors are left to their covers."""
    boards = wait_for(s.board_pids, 10)
    assert boards, "no board started"
    for pid in boards:
        os.kill(pid, signal.SIGKILL)
    assert wait_for(lambda: not [p for p in boards if harness.alive(p)], 5)


def lose_new_boards(s, seconds=1.5):
    """Ends, as lose_boards does, any board the saver starts for the moved
    monitor: Wine may list it as one the saver has not seen (by another
    name, or gone and back between the test's two xrandr calls), and such a
    monitor gets a board of its own. Left to its cover, it shows black."""
    until = time.monotonic() + seconds
    while time.monotonic() < until:
        for pid in s.board_pids():
            os.kill(pid, signal.SIGKILL)
        time.sleep(0.1)


def check_covered(s, primary, cover):
    """While the saver runs: its window over the primary, showing the board,
    and one black cover over the other monitor."""
    saver = s.wait_window(TITLE)
    assert (saver.rect, saver.exstyle & FLAGS) == ((0, 0, *primary[2:]), 0x88), saver
    assert covers(s) == [(in_win32(primary, cover), True, FLAGS)], covers(s)
    shot = s.screenshot()
    assert shot.crop(*cover).colours() == {BLACK}, f"the cover over {cover} is not black"
    return shot


def walk_edge(s, proc, walk):
    # Each move apart: Wine merges moves that queue up.
    harness.walk_edge(s, proc, walk, s.move_mouse, lambda: not s.cursor_shown(), settle=0.25)


def check_layout(name):
    primary, cover = LAYOUTS[name]
    with Session(f"monitors-{name}", screen=screen_size(LAYOUTS[name]), monitors=LAYOUTS[name]) as s:
        desktop = show_desktop(s, primary)
        walk = edge_walk(edges(primary), edges(cover), IGNORED_MOVES)
        s.move_mouse(*walk[0])
        proc = s.start(["/s"])
        lose_boards(s)
        check_covered(s, primary, cover)
        time.sleep(3.0)
        shot = check_covered(s, primary, cover)
        assert len(Board(shot.crop(*primary), desktop).census()[0]) >= 58
        walk_edge(s, proc, walk)


for layout in LAYOUTS:
    globals()[f"case_cover_{layout}"] = functools.partial(check_layout, layout)


def case_cover_buttons():
    """Each button pressed over a cover ends the saver; the window beneath
    it gets neither the press, nor the release, nor a context menu."""
    primary, cover = LAYOUTS["right_lower"]
    with Session("monitors-buttons", screen=screen_size(LAYOUTS["right_lower"]),
                 monitors=LAYOUTS["right_lower"]) as s:
        show_desktop(s, primary)
        beneath = (cover[0] + 100, cover[1] + 100, 200, 150)  # X's place
        host = start_passer_by(s, *in_win32(primary, beneath)[:2], *beneath[2:])
        assert tell(host, "show") == "shown"
        s.move_mouse(beneath[0] + 100, beneath[1] + 75)
        assert s.cursor_shown(), "the pointer is hidden before the saver runs"
        for button in COVER_BUTTONS:
            proc = s.start(["/s"])
            lose_boards(s)
            check_covered(s, primary, cover)
            assert not s.cursor_shown(), "the pointer shows on the cover"
            s.hold_button(button)
            assert s.wait_exit(proc, timeout=5) == 0, f"button {button} did not end the saver"
            time.sleep(0.5)  # whatever reached the window beneath is said by now
            answer = tell(host, "show")
            assert answer == "shown", f"button {button} reached the window beneath: {answer}"


def case_covers_follow_a_display_change():
    """The other monitor moves while the saver runs, and Wine makes a display
    change (a program sets the primary's mode again, so Wine reads the
    monitors afresh and sends WM_DISPLAYCHANGE): the cover moves with it,
    and the pointer rules hold across the new edge."""
    before = LAYOUTS["right_lower"]
    after = (before[0], (100, 768, 800, 600))
    with Session("monitors-change", screen=screen_size(before, after), monitors=before) as s:
        primary = before[0]
        show_desktop(s, primary)
        walk = edge_walk(edges(primary), edges(after[1]), IGNORED_MOVES)
        s.move_mouse(*walk[0])
        proc = s.start(["/s"])
        lose_boards(s)
        check_covered(s, *before)
        s.xrandr("--delmonitor", "M1")
        s.set_monitor("M1", edges(after[1]))
        assert s.wininfo("display", *primary[2:]).split() == ["display", "0"]
        lose_new_boards(s)
        time.sleep(0.5)
        shot = check_covered(s, *after)
        assert BLACK not in shot.crop(*before[1]).colours(), "the old cover stayed"
        walk_edge(s, proc, walk)


def framed_cells(shot, picture):
    """How many cells of the shot show a whole tile of `picture` in its
    lavender frame."""
    tw, th = picture.width // 8, picture.height // 8
    inside = lambda image, c, r: image.crop(c * tw + 1, r * th + 1, tw - 2, th - 2).data
    tiles = {inside(picture, c, r) for c in range(8) for r in range(8)}
    lines = lambda c, r: [shot.crop(c * tw, r * th, tw, 1), shot.crop(c * tw, r * th + th - 1, tw, 1),
                          shot.crop(c * tw, r * th, 1, th), shot.crop(c * tw + tw - 1, r * th, 1, th)]
    return sum(all(line.colours() == {LAVENDER} for line in lines(c, r)) and inside(shot, c, r) in tiles
               for c in range(8) for r in range(8))


def centred(picture, width, height, background):
    """The screen Windows shows for a wallpaper centred on it."""
    left, top = (width - picture.width) // 2, (height - picture.height) // 2
    rows = [bytes(background) * width for _ in range(height)]
    for y in range(picture.height):
        row = picture.crop(0, y, picture.width, 1).data
        rows[top + y] = rows[top + y][:3 * left] + row + rows[top + y][3 * (left + picture.width):]
    return Image(width, height, b"".join(rows))


def scaled(picture, width, height):
    """`picture` stretched nearest neighbour to width x height, as the saver stretches."""
    columns = [3 * (x * picture.width // width) + c for x in range(width) for c in range(3)]
    rows = (picture.crop(0, y * picture.height // height, picture.width, 1).data
            for y in range(height))
    return Image(width, height, b"".join(bytes(row[i] for i in columns) for row in rows))


def change_display(name, setup, started=lambda: None):
    """A display change that Wine makes itself: in a Wine desktop of
    1280 x 768 (whose display lists fixed modes, not that one), a program
    sets the height alone, down and up, then both, then the width alone.
    Each time the saver window covers the new screen, and all of it shows
    the board, cut again at the new size from what the saver started with,
    the saver's desktop not being the user's: the sample desktop, or the
    wallpaper laid out afresh for the new screen. `setup(s)` sets that up
    and gives the screen expected at a size; `started()` runs once the
    saver shows its first board."""
    desktop = "Saver,1280x768"
    with Session(name, screen=(1400, 1050)) as s:
        s.move_mouse(1100, 740)  # where 1280 x 720 and 1024 x 768 move it
        expected = setup(s)
        proc = s.start([f"/desktop={desktop}", windows_path(scr_path()), "/s"], exe="explorer")
        # A program started in the desktop while it is still being made can
        # hang: the first is asked for once the saver's X window is there.
        assert wait_for(lambda: subprocess.run(["xdotool", "search", "--name", TITLE], env=s.env,
                                               capture_output=True).stdout, 15), "no saver"
        s.wait_window(TITLE, desktop=desktop)
        started()
        for width, height in ((1280, 720), (1280, 960), (1024, 768), (1366, 768)):
            assert s.wininfo("display", width, height, desktop=desktop).split() == ["display", "0"]
            saver = s.wait_window(TITLE, desktop=desktop, timeout=5,
                                  predicate=lambda w: w.rect == (0, 0, width, height))
            assert saver.client == (width, height), saver.client
            time.sleep(3.0)  # past the intro the board starts again
            shot = s.screenshot().crop(0, 0, width, height)
            framed = framed_cells(shot, expected(width, height))
            assert framed >= 58, f"at {width} x {height} only {framed} cells show framed tiles"
            assert s.is_running(proc)


def case_display_change():
    def sample(s):
        def expected(width, height):
            path = s.artifact(f"sample-{width}x{height}.png")
            subprocess.run([os.environ["QUILLMERE_SAMPLE"], f"{width}x{height}", path], check=True)
            return load_image(path)
        return expected
    change_display("display-change", sample)


def case_display_change_centred_wallpaper():
    def wallpaper(s):
        path = s.artifact("wallpaper.png")
        noise(300, 200).save(path)
        set_wallpaper(s, path, "0", "0")
        picture = load_image(path)
        return lambda width, height: centred(picture, width, height, BACKGROUND)
    change_display("display-change-wallpaper", wallpaper)


def case_display_change_wallpaper_gone():
    """With the wallpaper's file gone, the layout the saver started with is
    rescaled to the new size."""
    path = None

    def tiled(s):
        nonlocal path
        path = s.artifact("wallpaper.png")
        noise(97, 61).save(path)
        set_wallpaper(s, path, "0", "1")
        picture = load_image(path)
        rows = (picture.crop(0, y % 61, 97, 1).data * 14 for y in range(768))
        first = Image(1280, 768, b"".join(row[:3 * 1280] for row in rows))
        return lambda width, height: scaled(first, width, height)
    change_display("display-change-wallpaper-gone", tiled, lambda: path.unlink())


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
        s.start(["/desktop=Saver,800x600", windows_path(scr_path()), "/s"], exe="explorer")
        time.sleep(4.0)
        shot, sample = s.screenshot(), load_image(sample)
        inside = lambda image, col, row: image.crop(col * 100 + 1, row * 75 + 1, 98, 73).data
        home = sum(inside(shot, c, r) == inside(sample, c, r) for c in range(8) for r in range(8))
        assert home >= 48, f"only {home} cells show the sample desktop's own tile"


if __name__ == "__main__":
    run_cases(globals())
