#!/usr/bin/python3
"""quillmere.scr /s on a desktop of its own, where the screen cannot show the
user's desktop: the board is the user's wallpaper, laid out as Windows lays
it out on the desktop's background colour; a wallpaper that cannot be used
gives the sample desktop, at once. Judged from the first intro frame, which
shows the picture itself inside the lavender lines."""

import functools
import os
import struct
import subprocess

from wine_harness import Image, Session, load_image, run_cases, windows_path
from test_run import LAVENDER, decode

SCREEN = (640, 480)
BACKGROUND = (10, 120, 200)
# WallpaperStyle, TileWallpaper, the picture's size and format, and where it
# lands on the screen, worked by hand (None: at (0, 0), its own size).
LAYOUTS = {
    "fill_bmp": ("10", "0", (640, 480), "bmp", None),
    "stretch_png": ("2", "0", (640, 480), "png", None),
    "fit_jpeg": ("6", "0", (640, 480), "jpg", None),
    "span_png": ("22", "0", (640, 480), "png", None),
    "center_png": ("0", "0", (300, 200), "png", (170, 140, 470, 340)),
    "center_16_bit_png": ("0", "0", (500, 400), "png16", (70, 40, 570, 440)),
    "center_larger_bmp": ("0", "0", (701, 503), "bmp", (-30, -11, 671, 492)),
    "tile_png": ("0", "1", (96, 70), "png", None),
    "fill_enlarged_jpeg": ("10", "0", (400, 250), "jpg", (-64, 0, 704, 480)),
    "fit_shrunk_png": ("6", "0", (1280, 800), "png", (0, 40, 640, 440)),
    "fit_enlarged_bmp": ("6", "1", (300, 400), "bmp", (140, 0, 500, 480)),
    "stretch_both_ways_png": ("2", "0", (900, 300), "png", (0, 0, 640, 480)),
}


def noise(width, height):
    """Every pixel unlike its neighbours: a pixel out of place shows, and so
    does a scaling that does not blend."""
    def colour(x, y):
        h = (x * 2654435761 ^ y * 40503) & 0xFFFFFFFF
        return bytes((h >> 8 & 0xFF, h >> 16 & 0xFF, (x + y) & 0xFF))
    return Image(width, height, b"".join(colour(x, y) for y in range(height) for x in range(width)))


@functools.lru_cache(maxsize=None)
def weights(source, length, i):
    """Source pixels and weights of destination pixel i on one axis: the area
    it covers when shrinking, linear between centres when enlarging."""
    scale = source / length
    if scale < 1:
        centre = (i + 0.5) * scale - 0.5
        j = int(centre // 1)
        return ((max(j, 0), 1 - (centre - j)), (min(j + 1, source - 1), centre - j))
    low, high = i * scale, (i + 1) * scale
    return tuple((j, (min(high, j + 1) - max(low, j)) / scale)
                 for j in range(int(low), min(source, int(high) + 1)) if j < high)


def expected(picture, area, tiled, x, y):
    left, top, right, bottom = area
    if tiled:
        return picture.pixel(x % picture.width, y % picture.height)
    if not (left <= x < right and top <= y < bottom):
        return BACKGROUND
    if (right - left, bottom - top) == (picture.width, picture.height):
        return picture.pixel(x - left, y - top)
    return tuple(sum(a * b * picture.pixel(i, j)[c]
                     for i, a in weights(picture.width, right - left, x - left)
                     for j, b in weights(picture.height, bottom - top, y - top)) for c in range(3))


def inside_cells(shot, step=1):
    """Points inside the lavender lines of every cell but the hole's."""
    tw, th = SCREEN[0] // 8, SCREEN[1] // 8
    for cx in range(0, 8 * tw, tw):
        for cy in range(0, 8 * th, th):
            if bytes(shot.pixel(cx, cy)) == LAVENDER:  # not the hole's, shrinking from it
                yield from ((x, y) for y in range(cy + 1, cy + th - 1, step)
                            for x in range(cx + 1, cx + tw - 1, step))


def first_frame(s, wallpaper, style="10", tile="0"):
    """Seconds from the saver's start on a desktop of its own with that
    wallpaper (None: none set) to its first frame, and that frame."""
    s.open_desktop()  # before the wallpaper: Wine's own desktop crashes on a BMP cut short
    desktop = r"HKCU\Control Panel\Desktop"
    s.reg_add(r"HKCU\Control Panel\Colors", "Background", "%d %d %d" % BACKGROUND)
    if wallpaper is not None:
        for name, value in ("Wallpaper", windows_path(wallpaper)), ("WallpaperStyle", style), \
                           ("TileWallpaper", tile):
            s.reg_add(desktop, name, value)
    seconds, xwd = s.first_tile_frames(s.start_on_desktop(["/s"]), timeout=20)
    return seconds, decode(xwd)


def worst(shot, want, points):
    return max(max(abs(a - b) for a, b in zip(shot.pixel(x, y), want(x, y))) for x, y in points)


def check_layout(name):
    style, tile, size, kind, area = LAYOUTS[name]
    with Session(f"wallpaper-{name}", screen=SCREEN) as s:
        path = s.artifact("wallpaper." + kind[:3])
        noise(*size).save(path)
        if kind == "png16":  # as photo editors write them
            subprocess.run(["convert", path, "-depth", "16", path], check=True)
        shot = first_frame(s, path, style, tile)[1]
        picture = load_image(path)  # as decoded: a JPEG is not what it was made of
    area = area or (0, 0, *size)
    scaled = (area[2] - area[0], area[3] - area[1]) != size
    # Scaled in fixed point; Wine's JPEG decoder rounds a pixel in a thousand
    # otherwise than ImageMagick's.
    allowed = 2 if scaled else 1 if kind == "jpg" else 0
    want = functools.partial(expected, picture, area, style == "0" and tile == "1")
    off = worst(shot, want, inside_cells(shot, 3 if scaled else 1))
    assert off <= allowed, f"{off} levels off the wallpaper laid out"


for layout in LAYOUTS:
    globals()[f"case_layout_{layout}"] = functools.partial(check_layout, layout)


def bmp_header(width, height):
    """A 24-bit BMP's headers, claiming width x height pixels that never follow."""
    return b"BM" + struct.pack("<IHHIIiiHHIIiiII", 54, 0, 0, 54, 40, width, height, 1, 24,
                               0, 0, 2835, 2835, 0, 0)


def cut_short(path):
    noise(64, 48).save(path.with_suffix(".bmp"))
    path.write_bytes(path.with_suffix(".bmp").read_bytes()[:2000])


# Each bad wallpaper's file as made; None: no wallpaper set at all.
BAD = {
    "none": None,
    "missing": lambda path: None,
    "damaged_png": lambda path: path.write_bytes(b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 8),
    "cut_short_bmp": cut_short,
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
        sample = s.artifact("sample.png")
        subprocess.run([os.environ["QUILLMERE_SAMPLE"], "%dx%d" % SCREEN, sample], check=True)
        sample = load_image(sample)
    print(f"first frame after {seconds:.2f} s")
    # Within a level: the 32-bit build's floating point rounds its own way.
    assert worst(shot, sample.pixel, inside_cells(shot)) <= 1, "not the sample desktop"
    assert seconds < 5, "the wallpaper held the saver up"


for bad in BAD:
    globals()[f"case_bad_{bad}"] = functools.partial(check_bad, bad)


if __name__ == "__main__":
    run_cases(globals())
