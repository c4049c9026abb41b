#!/usr/bin/python3
"""Run mode end to end: quillmere.scr /s over a known desktop picture, judged
from screenshots. Every desktop pixel has its own colour, so a cell of a
screenshot tells which piece of the desktop it shows."""

import subprocess
import threading
import time

from wine_harness import Image, Session, run_cases

TITLE = "Quillmere Screensaver 1.0"
LAVENDER = bytes((180, 180, 250))
BLACK = bytes(3)


def desktop_colour(x, y):
    return (x & 0xFF, y & 0xFF, 0x40 + (x >> 8) * 16 + (y >> 8))


def desktop_position(colour):
    r, g, b = colour
    return r + 256 * ((b - 0x40) >> 4), g + 256 * ((b - 0x40) & 15)


def make_desktop(session, width, height):
    data = bytearray()
    for y in range(height):
        for x in range(width):
            data += bytes(desktop_colour(x, y))
    image = Image(width, height, bytes(data))
    path = session.artifact("desktop.png")
    image.save(path)
    session.set_root_picture(path)
    return image


class Board:
    """Reads one screenshot as a board of 8 x 8 cells of the desktop's tiles."""

    def __init__(self, shot, desktop):
        self.shot, self.desktop = shot, desktop
        self.tw, self.th = desktop.width // 8, desktop.height // 8

    def row(self, image, x, y, length):
        start = (y * image.width + x) * 3
        return image.data[start:start + length * 3]

    def cell_row(self, col, row, y, x=0, length=None):
        length = self.tw - x if length is None else length
        return self.row(self.shot, col * self.tw + x, row * self.th + y, length)

    def is_black(self, col, row):
        return all(self.cell_row(col, row, y) == BLACK * self.tw for y in range(self.th))

    def framed_tile(self, col, row):
        """The (col, row) the cell's tile was cut from, if the cell shows a
        whole tile with a complete lavender frame; else None."""
        tw, th = self.tw, self.th
        if self.cell_row(col, row, 0) != LAVENDER * tw or \
                self.cell_row(col, row, th - 1) != LAVENDER * tw:
            return None
        for y in range(1, th - 1):
            if self.cell_row(col, row, y, 0, 1) != LAVENDER or \
                    self.cell_row(col, row, y, tw - 1, 1) != LAVENDER:
                return None
        x, y = desktop_position(self.shot.pixel(col * tw + 1, row * th + 1))
        if (x - 1) % tw or (y - 1) % th or x >= 8 * tw or y >= 8 * th:
            return None
        source = ((x - 1) // tw, (y - 1) // th)
        for dy in range(1, th - 1):
            if self.cell_row(col, row, dy, 1, tw - 2) != \
                    self.row(self.desktop, source[0] * tw + 1, source[1] * th + dy, tw - 2):
                return None
        return source

    def strips_black(self):
        width, height = self.desktop.width, self.desktop.height
        right = width - 8 * self.tw
        for y in range(height):
            if right and self.row(self.shot, 8 * self.tw, y, right) != BLACK * right:
                return False
        return all(self.row(self.shot, 0, y, width) == BLACK * width
                   for y in range(8 * self.th, height))

    def census(self):
        """Cells showing framed tiles, and black cells."""
        tiles, black = {}, []
        for col in range(8):
            for row in range(8):
                source = self.framed_tile(col, row)
                if source is not None:
                    tiles[(col, row)] = source
                elif self.is_black(col, row):
                    black.append((col, row))
        return tiles, black


def raw_screenshot(session):
    return subprocess.run(["xwd", "-root", "-silent", "-display", session.display],
                          capture_output=True, check=True).stdout


def decode(xwd):
    blob = subprocess.run(["convert", "xwd:-", "-depth", "8", "ppm:-"], input=xwd,
                          capture_output=True, check=True).stdout
    return Image.from_ppm(blob)


def intro_line_length(board):
    """How far the lavender line runs along the top of cell (1, 1), or of
    cell (2, 1) should (1, 1) be the hole."""
    for col in (0, 1):
        top = board.cell_row(col, 0, 0)
        length = 0
        while length < board.tw and top[3 * length:3 * length + 3] == LAVENDER:
            length += 1
        if length:
            return length
    return 0


def check_intro(board, desktop):
    """The desktop itself, with lavender lines growing from each tile's
    top-left corner and the hole's tile shrinking toward its centre."""
    tw, th = board.tw, board.th
    a = intro_line_length(board)
    hole = []
    for col in range(8):
        for row in range(8):
            top = board.cell_row(col, row, 0)
            if top[:3] == BLACK:
                hole.append((col, row))  # the hole's tile has shrunk away from its corner
                continue
            assert top[:3 * a] == LAVENDER * a, (col, row)
            assert top[3 * a:3 * (tw - 1)] == board.row(desktop, col * tw + a, row * th,
                                                         tw - 1 - a), (col, row)
            # Inside the lines the cell is its own piece of the desktop.
            for y in range(1, th - 1):
                assert board.cell_row(col, row, y, 1, tw - 2) == \
                    board.row(desktop, col * tw + 1, row * th + y, tw - 2), (col, row, y)
    assert len(hole) <= 1, hole
    assert board.strips_black()


def watch_intro(session, desktop, proc, seconds=2.5):
    """Screenshots from the start until `seconds` after the saver's window
    appears. Until the lines have grown to full length each shows the
    desktop untouched or an intro frame (check_intro): never a black or
    half-painted screen, so the first thing painted is the desktop. The
    lines grow, at the pace of a 20 ms tick. Returns the line lengths seen."""
    # Screenshots go on in a thread of their own: asking Wine about the
    # window now and then takes seconds, which must not leave the intro unseen.
    raws, done = [], threading.Event()

    def shoot():
        while not done.is_set():
            before = time.monotonic()
            raw = raw_screenshot(session)
            raws.append(((before + time.monotonic()) / 2, raw))  # taken some time in between

    shooter = threading.Thread(target=shoot)
    shooter.start()
    try:
        deadline = time.monotonic() + 20
        while True:
            assert time.monotonic() < deadline, "the saver's window never appeared"
            assert session.is_running(proc), "the saver ended"
            window = session.find_window(TITLE)
            if window is not None and window.visible:
                break
        time.sleep(seconds)
    finally:
        done.set()
        shooter.join()
    lengths, seen = [], []
    for taken, raw in raws:
        shot = decode(raw)
        if shot.data == desktop.data:
            continue
        board = Board(shot, desktop)
        a = intro_line_length(board)
        if a >= board.tw:
            break
        check_intro(board, desktop)
        if a:
            lengths.append(a)
            seen.append((taken, a * 100 / board.tw))  # about the ticks so far
    assert len(set(lengths)) >= 2, lengths
    assert lengths == sorted(lengths), lengths
    # The lines reach full length after 100 ticks: about 50 ticks a second,
    # fewer on a loaded machine, never more; a clock of twice the interval
    # would give 25. Fitted over every shot, as one shot's moment is only
    # known to within the time a screenshot takes.
    mean_t = sum(t for t, _ in seen) / len(seen)
    mean_k = sum(k for _, k in seen) / len(seen)
    rate = sum((t - mean_t) * (k - mean_k) for t, k in seen) / \
        sum((t - mean_t) ** 2 for t, _ in seen)
    print(f"intro pace: {rate:.1f} ticks a second over {len(seen)} shots")
    assert 28 <= rate <= 55, f"{rate:.1f} ticks a second"
    return lengths


def check_shuffle(session, desktop, shots=80):
    """Every screenshot shows nearly all cells as whole framed tiles, each
    a different one; at least one, taken between two slides, shows all but
    one black cell so, with the leftover strips black."""
    raws = []
    for _ in range(shots):
        raws.append(raw_screenshot(session))
        time.sleep(0.03)
    clean = 0
    for raw in raws:
        board = Board(decode(raw), desktop)
        tiles, black = board.census()
        # A lifted tile overlaps at most its own cell, the hole and their
        # neighbours across the slide.
        assert len(tiles) >= 58, (len(tiles), len(black))
        assert len(set(tiles.values())) == len(tiles)
        if len(tiles) == 63 and len(black) == 1:
            assert board.strips_black()
            clean += 1
    assert clean >= 1, "no screenshot caught the board at rest"
    return clean


def run_saver(width, height):
    with Session(f"run-{width}x{height}", screen=(width, height)) as s:
        desktop = make_desktop(s, width, height)
        proc = s.start(["/s"])
        lengths = watch_intro(s, desktop, proc)
        print(f"{len(lengths)} intro screenshots, lines growing from {lengths[0]} to "
              f"{lengths[-1]} pixels of {width // 8}")
        window = s.wait_window(TITLE)
        assert window.rect == (0, 0, width, height), window.rect
        time.sleep(2.0)  # the intro's 100 ticks are over by now
        print(f"{check_shuffle(s, desktop)} screenshots caught the board at rest")
        assert s.is_running(proc)
        s.click(width // 2, height // 2)
        assert s.wait_exit(proc, timeout=5) == 0


def case_screen_1024x768():
    run_saver(1024, 768)


def case_screen_1366x768():
    run_saver(1366, 768)


def case_cpu_1920x1080():
    with Session("cpu", screen=(1920, 1080)) as s:
        proc = s.start(["/s"])
        s.wait_window(TITLE)
        time.sleep(3.0)
        share = s.cpu_percent(proc, seconds=5.0)
        print(f"saver CPU while shuffling at 1920 x 1080: {share:.1f} % of one core")
        assert share < 90, share
        s.click(5, 5)
        assert s.wait_exit(proc, timeout=5) == 0


if __name__ == "__main__":
    run_cases(globals())
