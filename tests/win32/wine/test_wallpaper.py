#!/usr/bin/python3
"""quillmere.scr /s on a desktop of its own (the screen shows nothing of the
user's): the board is their wallpaper as Windows lays it out, on the
desktop's background colour; one that cannot be used gives the sample
desktop, at once; on two monitors, each monitor's own (IDesktopWallpaper) or
its part of a span. Judged inside the lines of the first intro frame."""

import functools
import os
import struct
import subprocess

from wine_harness import Image, Session, host_path, load_image, run_cases, windows_path
from test_run import LAVENDER, decode

SCREEN, DESKTOP = (640, 480), "Screen-saver,640x480"  # as Windows names it
BACKGROUND = (10, 120, 200)
# WallpaperStyle, TileWallpaper, the picture's size and format, and where it
# lands on the screen, worked by hand (None: at (0, 0), its own size).
LAYOUTS = {
    "fill_bmp": ("10", "0", (256, 240), "bmp", (0, -60, 640, 540)),
    "fit_jpeg": ("6", "0", (1280, 720), "jpg", (0, 60, 640, 420)),
    "span_png": ("22", "0", (320, 160), "png", (-160, 0, 800, 480)),
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
    tw, th = shot.width // 8, shot.height // 8
    return max(max(abs(a - b) for a, b in zip(shot.pixel(x, y), want(x, y)))
               for cx in range(0, 8 * tw, tw) for cy in range(0, 8 * th, th)
               if bytes(shot.pixel(cx, cy)) == LAVENDER
               for y in range(cy + 1, cy + th - 1) for x in range(cx + 1, cx + tw - 1))


def laid_out(s, path, size, area, tiled=False, name="scaled.png"):
    """want(x, y) and the levels it may be off by, for the picture of `size`
    at `path` laid onto `area` (left, top, right, bottom, from the monitor's
    corner) of a monitor, or repeated from its corner."""
    left, top, right, bottom = area
    scaled = (right - left, bottom - top) != size
    if scaled:  # ImageMagick's box is the area average at half size, its triangle linear
        subprocess.run(["convert", path, "-filter", "Box" if right - left < size[0] else
                        "Triangle", "-resize", f"{right - left}x{bottom - top}!",
                        s.artifact(name)], check=True)
        path = s.artifact(name)
    picture = load_image(path)  # as decoded: a JPEG is not what it was made of
    want = lambda x, y: picture.pixel(x % size[0], y % size[1]) if tiled else \
        picture.pixel(x - left, y - top) if left <= x < right and top <= y < bottom else BACKGROUND
    # Scaled in fixed point; Wine's JPEG decoder rounds a pixel in a thousand
    # otherwise than ImageMagick's.
    return want, 2 if scaled else 1 if str(path).endswith(".jpg") else 0


def check_layout(name):
    style, tile, size, kind, area = LAYOUTS[name]
    area = area or (0, 0, *size)
    with Session(f"wallpaper-{name}", screen=SCREEN) as s:
        path = s.artifact("wallpaper." + kind[:3])
        noise(*size).save(path)
        if kind == "png16":  # as photo editors write them
            subprocess.run(["convert", path, "-depth", "16", path], check=True)
        shot = first_frame(s, path, style, tile)[1]
        want, allowed = laid_out(s, path, size, area, style == "0" and tile == "1")
    off = worst(shot, want)
    assert off <= allowed, f"{off} levels off the layout"


# Two monitors, X's places: the primary, and one left of it and lower, in
# Win32's coordinates at (-512, 96). A Wine desktop named "root" is a desktop
# of the saver's own by its name that still shows every monitor.
MONITORS = ((512, 0, 640, 480), (0, 96, 512, 384))
ROOT = "root,1152x480"
# IDesktopWallpaper's class id, which this Wine leaves unregistered.
SERVER_KEY = r"HKLM\Software\Classes\CLSID\{C2CF3110-460E-4FC1-B9D0-8A1C0C9CC4BD}\InprocServer32"
# Each monitor's own picture through IDesktopWallpaper, for a position
# (DESKTOP_WALLPAPER_POSITION's number): where each lands, worked by hand
# (None: tiled from the monitor's corner).
OWN_PICTURES = ((300, 200), (400, 300))
POSITIONS = {"center": (0, ((170, 140, 470, 340), (56, 42, 456, 342))),
             "tile": (1, None),
             "fill": (4, ((-40, 0, 680, 480), (0, 0, 512, 384)))}


def first_frames_on_monitors(s, env):
    """The first intro frame of each monitor, as the saver shows it on the
    desktop of its own, started with `env`."""
    s.reg_add(r"HKCU\Control Panel\Colors", "Background", "%d %d %d" % BACKGROUND)
    proc = s.start(["/s"], desktop=ROOT, env=env)
    shot = decode(s.first_tile_frames(proc, timeout=30, areas=MONITORS)[1])
    return [shot.crop(*area) for area in MONITORS]


def check_own_pictures(name):
    position, areas = POSITIONS[name]
    with Session(f"wallpaper-own-{name}", screen=(1152, 480), monitors=MONITORS) as s:
        server = host_path("desktop_wallpaper").with_suffix(".dll")
        s._patiently([s.loader, "reg", "add", SERVER_KEY, "/ve", "/d", windows_path(server), "/f"],
                     attempts=4, timeout=15)
        s.reg_add(SERVER_KEY, "ThreadingModel", "Both")
        paths, answers = [], [str(position)]
        for i, (size, area) in enumerate(zip(OWN_PICTURES, MONITORS)):
            paths.append(s.artifact(f"own-{i}.png"))
            noise(*size).save(paths[-1])
            left, top = area[0] - MONITORS[0][0], area[1] - MONITORS[0][1]  # Win32's place
            answers.append(f"{left} {top} {left + area[2]} {top + area[3]} {windows_path(paths[-1])}")
        env = dict(s.env, QUILLMERE_TEST_WALLPAPERS="|".join(answers))
        shots = first_frames_on_monitors(s, env)
        for i, (shot, size) in enumerate(zip(shots, OWN_PICTURES)):
            area = areas[i] if areas else (0, 0, *size)
            want, allowed = laid_out(s, paths[i], size, area, areas is None, f"scaled-{i}.png")
            off = worst(shot, want)
            assert off <= allowed, f"monitor {i}: {off} levels off the layout"


def case_span_over_two_monitors():
    """One picture spread over the virtual screen (-512, 0) - (640, 480),
    twice its size: each monitor shows its own part of it."""
    with Session("wallpaper-span-two", screen=(1152, 480), monitors=MONITORS) as s:
        path = s.artifact("wallpaper.png")
        noise(576, 240).save(path)
        for name, value in ("Wallpaper", windows_path(path)), ("WallpaperStyle", "22"), \
                           ("TileWallpaper", "0"):
            s.reg_add(r"HKCU\Control Panel\Desktop", name, value)
        shots = first_frames_on_monitors(s, s.env)
        # The spread picture's place from each monitor's corner.
        for i, (shot, area) in enumerate(zip(shots, ((-512, 0, 640, 480), (0, -96, 1152, 384)))):
            want, allowed = laid_out(s, path, (576, 240), area)
            off = worst(shot, want)
            assert off <= allowed, f"monitor {i}: {off} levels off its part of the picture"


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
for position in POSITIONS:
    globals()[f"case_own_pictures_{position}"] = functools.partial(check_own_pictures, position)
for bad in BAD:
    globals()[f"case_bad_{bad}"] = functools.partial(check_bad, bad)

if __name__ == "__main__":
    run_cases(globals())
