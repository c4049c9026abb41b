#!/usr/bin/python3
"""quillmere.scr /s on a desktop of its own, where the screen cannot show the
user's desktop: the board is cut from the user's wallpaper, laid out as
Windows lays it out, on the desktop's background colour; a wallpaper that
cannot be used gives the sample desktop, at once. Judged from the intro's
first frame, which shows the picture itself inside the lavender lines."""

import functools
import os
import struct
import subprocess

from wine_harness import Image, Session, load_image, run_cases, windows_path
from test_run import decode

SCREEN = (640, 480)
DESKTOP, COLORS = r"HKCU\Control Panel\Desktop", r"HKCU\Control Panel\Colors"
BACKGROUND = (10, 120, 200)
# Style, TileWallpaper; the picture's size and format; where the picture
# lands on the 640 x 480 screen (worked by hand), or None for the same place
# as the picture's own size at (0, 0).
LAYOUTS = {
    "fill_bmp": ("10", "0", (640, 480), "bmp", None),
    "stretch_png": ("2", "0", (640, 480), "png", None),
    "fit_jpeg": ("6", "0", (640, 480), "jpg", None),
    "span_png": ("22", "0", (640, 480), "png", None),
    "center_png": ("0", "0", (300, 200), "png", (170, 140, 470, 340)),
    "center_larger_bmp": ("0", "0", (701, 503), "bmp", (-30, -11, 671, 492)),
    "tile_png": ("0", "1", (96, 70), "png", None),
    "center_16_bit_png": ("0", "0", (500, 400), "png16", (70, 40, 570, 440)),
    "fill_enlarged_jpeg": ("10", "0", (400, 250), "jpg", (-64, 0, 704, 480)),
    "fit_shrunk_png": ("6", "0", (1280, 800), "png", (0, 40, 640, 440)),
    "fit_enlarged_bmp": ("6", "1", (300, 400), "bmp", (140, 0, 500, 480)),
    "stretch_both_ways_png": ("2", "0", (900, 300), "png", (0, 0, 640, 480)),
}


def noise(width, height):
    """A picture whose every pixel differs from its neighbours, so that a
    pixel out of place or a scaling that does not blend shows."""
    def colour(x, y):
        h = (x * 2654435761 ^ y * 40503) & 0xFFFFFFFF
        return bytes((h >> 8 & 0xFF, h >> 16 & 0xFF, (x + y) & 0xFF))
    return Image(width, height, b"".join(colour(x, y) for y in range(height) for x in range(width)))


@functools.lru_cache(maxsize=None)
def weights(source, length, i):
    """Source pixels and weights of destination pixel i on one axis: the
    area it covers when shrinking, linear between centres when enlarging."""
    scale = source / length
    if scale >= 1:
        low, high = i * scale, (i + 1) * scale
        return [(j, (min(high, j + 1) - max(low, j)) / scale)
                for j in range(int(low), min(source, int(high) + 1)) if min(high, j + 1) > max(low, j)]
    centre = (i + 0.5) * scale - 0.5
    j = int(centre // 1)
    clamp = lambda k: min(max(k, 0), source - 1)
    return [(clamp(j), 1 - (centre - j)), (clamp(j + 1), centre - j)]


def scaled_pixel(picture, area, x, y):
    left, top, right, bottom = area
    if not (left <= x < right and top <= y < bottom):
        return BACKGROUND
    across = weights(picture.width, right - left, x - left)
    down = weights(picture.height, bottom - top, y - top)
    return tuple(sum(a * b * picture.pixel(i, j)[c] for i, a in across for j, b in down)
                 for c in range(3))


def cell_points(shot, step):
    """Points inside the lavender lines of every cell but the hole's."""
    tw, th = SCREEN[0] // 8, SCREEN[1] // 8
    for col in range(8):
        for row in range(8):
            if shot.pixel(col * tw, row * th) != (180, 180, 250):
                continue  # the hole's tile, shrinking away from its corner
            for y in range(row * th + 1, (row + 1) * th - 1, step):
                for x in range(col * tw + 1, (col + 1) * tw - 1, step):
                    yield x, y


def first_frame(s, wallpaper, style="10", tile="0"):
    """The saver started on a desktop of its own with that wallpaper file
    (None: no wallpaper): seconds to its first frame, and the frame."""
    s.open_desktop()  # first: Wine's own desktop crashes drawing a BMP cut short
    s.reg_add(COLORS, "Background", " ".join(map(str, BACKGROUND)))
    if wallpaper is not None:
        s.reg_add(DESKTOP, "Wallpaper", windows_path(wallpaper))
        s.reg_add(DESKTOP, "WallpaperStyle", style)
        s.reg_add(DESKTOP, "TileWallpaper", tile)
    seconds, xwd = s.first_tile_frames(s.start_on_desktop(["/s"]), timeout=20)
    return seconds, decode(xwd)


def check_layout(name):
    style, tile, size, kind, area = LAYOUTS[name]
    with Session(f"wallpaper-{name}", screen=SCREEN) as s:
        path = s.artifact("wallpaper." + kind[:3])
        noise(*size).save(path)
        if kind == "png16":  # 16 bits a channel, as photo editors write them
            subprocess.run(["convert", path, "-depth", "16", path], check=True)
        _, shot = first_frame(s, path, style, tile)
        picture = load_image(path)  # as decoded: a JPEG is not the picture it was made of
    area = area or (0, 0, *size)
    tiled = style == "0" and tile == "1"
    exact = (area[2] - area[0], area[3] - area[1]) == size
    # Wine's JPEG decoder rounds one pixel in a thousand otherwise than
    # ImageMagick's; scaling rounds in fixed point.
    tolerance = 2 if not exact else 1 if kind == "jpg" else 0
    wrong = 0
    for x, y in cell_points(shot, 1 if exact else 3):
        left, top, right, bottom = area
        if tiled:
            want = picture.pixel(x % size[0], y % size[1])
        elif not exact:
            want = scaled_pixel(picture, area, x, y)
        elif left <= x < right and top <= y < bottom:
            want = picture.pixel(x - left, y - top)
        else:
            want = BACKGROUND
        wrong += max(abs(a - b) for a, b in zip(shot.pixel(x, y), want)) > tolerance
    assert wrong == 0, f"{wrong} pixels differ from the wallpaper laid out"


for layout in LAYOUTS:
    globals()[f"case_layout_{layout}"] = functools.partial(check_layout, layout)


def bmp_header(width, height, size):
    """A 24-bit BMP's headers claiming width x height pixels in a file of `size` bytes."""
    return b"BM" + struct.pack("<IHHI", size, 0, 0, 54) + \
        struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, 0, 2835, 2835, 0, 0)


def cut_short(path):
    noise(64, 48).save(path.with_suffix(".bmp"))
    path.write_bytes(path.with_suffix(".bmp").read_bytes()[:2000])


# How each bad wallpaper file is made; None: no wallpaper is set at all.
BAD = {
    "none": None,
    "missing": lambda path: None,
    "damaged_png": lambda path: path.write_bytes(b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 8),
    "cut_short_bmp": cut_short,
    "unknown_format": lambda path: path.write_bytes(b"Not a picture at all.\n" * 50),
    "more_pixels_than_the_file": lambda path: path.write_bytes(bmp_header(4000, 3000, 64)),
    "more_pixels_than_memory": lambda path: path.write_bytes(bmp_header(60000, 60000, 64)),
}


def check_bad(name):
    with Session(f"wallpaper-{name}", screen=SCREEN) as s:
        path = None
        if BAD[name] is not None:
            path = s.artifact("wallpaper")  # WIC goes by what a file holds, not its name
            BAD[name](path)
        seconds, shot = first_frame(s, path)
        sample = s.artifact("sample.png")
        subprocess.run([os.environ["QUILLMERE_SAMPLE"], "%dx%d" % SCREEN, sample], check=True)
        sample = load_image(sample)
    # Within a level: the 32-bit build's floating point rounds its own way.
    wrong = sum(max(abs(a - b) for a, b in zip(shot.pixel(x, y), sample.pixel(x, y))) > 1
                for x, y in cell_points(shot, 1))
    assert wrong == 0, f"{wrong} pixels differ from the sample desktop"
    print(f"first frame after {seconds:.2f} s")
    assert seconds < 5, "the wallpaper held the saver up"


for bad in BAD:
    globals()[f"case_bad_{bad}"] = functools.partial(check_bad, bad)


if __name__ == "__main__":
    run_cases(globals())
