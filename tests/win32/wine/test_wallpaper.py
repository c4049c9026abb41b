#!/usr/bin/python3
"""quillmere.scr /s on a desktop of its own (the screen shows nothing of the
user's): the board is their wallpaper as Windows lays it out, on the
desktop's background colour; one that cannot be used gives the sample
desktop, at once. Judged inside the lines of the first intro frame."""

import functools
import os
import struct
import subprocess

from wine_harness import Image, Session, load_image, run_cases, windows_path
from test_run import LAVENDER, decode

SCREEN, DESKTOP = (640, 480), "Screen-saver,640x480"  # as Windows names it
BACKGROUND = (10, 120, 200)
# WallpaperStyle, TileWallpaper, the picture's size and format, and where it
# lands on the screen, worked by hand (None: at (0, 0), its own size).
LAYOUTS = {
    "fill_bmp": ("10", "0", (640, 480), "bmp", None),
    "fit_jpeg": ("6", "0", (640, 480), "jpg", None),
    "span_png": ("22", "0", (640, 480), "png", None),
    "center_png": ("0", "0", (300, 200), "png", (170, 140, 470, 340)),
    "center_16_bit_png": ("0", "0", (500, 400), "png16", (70, 40, 570, 440)),
    "center_larger_bmp": ("0", "0", (701, 503), "bmp", (-30, -11, 671, 492)),
    "tile_png": ("0", "1", (96, 70), "png", None),
    "fill_enlarged_jpeg": ("10", "0", (400, 250), "jpg", (-64, 0, 704, 480)),
    "fit_halved_png": ("6", "0", (1280, 800), "png", (0, 40, 640, 440)),
    "fit_enlarged_bmp": ("6", "1", (300, 400), "bmp", (140, 0, 500, 480)),
    "stretch_enlarged_png": ("2", "0", (320, 400), "png", (0, 0, 640, 480)),
}


def noise(width, height):
    """Every pixel unlike its neighbours, so that any misplaced or unblended one shows."""
    def colour(x, y):
        h = (x * 2654435761 ^ y * 40503) & 0xFFFFFFFF
        return bytes((h >> 8 & 0xFF, h >> 16 & 0xFF, (x + y) & 0xFF))
    return Image(width, height, b"".join(colour(x, y) for y in range(height) for x in range(width)))


def set_wallpaper(s, wallpaper, style, tile):
    """The settings Windows keeps for the wallpaper (None: none), on BACKGROUND."""
    s.reg_add(r"HKCU\Control Panel\Colors", "Background", "%d %d %d" % BACKGROUND)
    if wallpaper is not None:
        for name, value in ("Wallpaper", windows_path(wallpaper)), ("WallpaperStyle", style), \
                           ("TileWallpaper", tile):
            s.reg_add(r"HKCU\Control Panel\Desktop", name, value)


def first_frame(s, wallpaper, style="10", tile="0"):
    """Seconds from the saver's start with that wallpaper (None: none) to its
    first frame, and the frame."""
    s.open_desktop(DESKTOP)  # before the wallpaper: Wine's desktop crashes on a BMP cut short
    set_wallpaper(s, wallpaper, style, tile)
    seconds, xwd = s.first_tile_frames(s.start(["/s"], desktop=DESKTOP), timeout=20)
    return seconds, decode(xwd)


def worst(shot, want):
    """The largest difference from want(x, y) inside the lines of every cell
    but the hole's (whose tile shrinks away from its corner)."""
    tw, th = SCREEN[0] // 8, SCREEN[1] // 8
    return max(max(abs(a - b) for a, b in zip(shot.pixel(x, y), want(x, y)))
               for cx in range(0, 8 * tw, tw) for cy in range(0, 8 * th, th)
               if bytes(shot.pixel(cx, cy)) == LAVENDER
               for y in range(cy + 1, cy + th - 1) for x in range(cx + 1, cx + tw - 1))


def check_layout(name):
    style, tile, size, kind, area = LAYOUTS[name]
    left, top, right, bottom = area = area or (0, 0, *size)
    scaled = (right - left, bottom - top) != size
    with Session(f"wallpaper-{name}", screen=SCREEN) as s:
        path = s.artifact("wallpaper." + kind[:3])
        noise(*size).save(path)
        if kind == "png16":  # as photo editors write them
            subprocess.run(["convert", path, "-depth", "16", path], check=True)
        shot = first_frame(s, path, style, tile)[1]
        if scaled:  # ImageMagick's box is the area average at half size, its triangle linear
            subprocess.run(["convert", path, "-filter", "Box" if right - left < size[0] else
                            "Triangle", "-resize", f"{right - left}x{bottom - top}!",
                            s.artifact("scaled.png")], check=True)
            path = s.artifact("scaled.png")
        picture = load_image(path)  # as decoded: a JPEG is not what it was made of
    tiled = style == "0" and tile == "1"
    want = lambda x, y: picture.pixel(x % size[0], y % size[1]) if tiled else \
        picture.pixel(x - left, y - top) if left <= x < right and top <= y < bottom else BACKGROUND
    # Scaled in fixed point; Wine's JPEG decoder rounds a pixel in a thousand
    # otherwise than ImageMagick's.
    off = worst(shot, want)
    assert off <= (2 if scaled else 1 if kind == "jpg" else 0), f"{off} levels off the layout"


def bmp_header(width, height):
    """A 24-bit BMP's headers: width x height pixels, which may never follow."""
    return b"BM" + struct.pack("<IHHIIiiHHIIiiII", 54, 0, 0, 54, 40, width, height, 1, 24,
                               0, 0, 2835, 2835, 0, 0)


# What each bad wallpaper's file holds; None: no wallpaper set at all.
BAD = {
    "none": None,
    "missing": lambda path: None,
    "damaged_png": lambda path: path.write_bytes(b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 8),
    "cut_short_bmp": lambda path: path.write_bytes(bmp_header(64, 48) + bytes(2000)),
    "unknown_format": lambda path: path.write_bytes(b"Not a picture at all.\n" * 50),
    "more_pixels_than_the_file": lambda path: path.write_bytes(bmp_header(4000, 3000)),
    "more_pixels_than_memory": lambda path: path.write_bytes(bmp_header(60000, 60000)),
}


def check_bad(name):
    with Session(f"wallpaper-{name}", screen=SCREEN) as s:
        path = None if BAD[name] is None else s.artifact("wallpaper")  # WIC reads the content
        if path is not None:
            BAD[name](path)
        seconds, shot = first_frame(s, path)
        subprocess.run([os.environ["QUILLMERE_SAMPLE"], "%dx%d" % SCREEN, s.artifact("sample.png")],
                       check=True)
        sample = load_image(s.artifact("sample.png"))
    print(f"first frame after {seconds:.2f} s")
    # Within a level: the 32-bit build's floating point rounds its own way.
    assert worst(shot, sample.pixel) <= 1, "not the sample desktop"
    assert seconds < 5, "the wallpaper held the saver up"


for layout in LAYOUTS:
    globals()[f"case_layout_{layout}"] = functools.partial(check_layout, layout)
for bad in BAD:
    globals()[f"case_bad_{bad}"] = functools.partial(check_bad, bad)

if __name__ == "__main__":
    run_cases(globals())
