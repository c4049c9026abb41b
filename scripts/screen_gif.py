"""Pictures of an X display and GIFs made of them (or of any other source's
pictures), with Pillow (Debian's python3-pil, run by /usr/bin/python3). A
recording keeps each frame only at the GIF's size, so a few seconds of a
large screen stay within tens of MB."""

import struct
import subprocess
import time

from PIL import Image, ImageChops

# The palette index of "as in the frame before"; the colours are 0..254.
UNCHANGED = 255
# Raw decoders for xwd's true-colour layouts: (bits a pixel, byte order).
XWD_LAYOUTS = {(32, 0): "BGRX", (24, 0): "BGR", (32, 1): "XRGB", (24, 1): "RGB"}


def decode_xwd(blob):
    """An xwd dump (its header is big-endian whatever the machine) as RGB."""
    fields = struct.unpack(">25I", blob[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits, stride, colours = fields[7], fields[11], fields[12], fields[19]
    layout = XWD_LAYOUTS.get((bits, byte_order))
    if layout is None or fields[14:17] != (0xFF0000, 0xFF00, 0xFF):
        raise ValueError(f"xwd layout of {bits} bits a pixel is not 8-bit RGB")
    start = header_size + 12 * colours  # after the colour map
    return Image.frombuffer("RGB", (width, height), blob[start:start + stride * height],
                            "raw", layout, stride, 1)


def screenshot(display):
    blob = subprocess.run(["xwd", "-root", "-silent", "-display", display],
                          capture_output=True, check=True, timeout=30).stdout
    return decode_xwd(blob)


def write_gif(frames, path, milliseconds):
    """Frames of one palette, taken from the last (the busiest), so colours
    do not flicker from frame to frame; a pixel that did not change is left
    transparent over the frame before, which compresses to almost nothing.
    `milliseconds`: one delay for all frames, or a list of one a frame."""
    palette = frames[-1].quantize(UNCHANGED, dither=Image.Dither.NONE)
    indexed = [f.quantize(palette=palette, dither=Image.Dither.NONE) for f in frames]
    unchanged = [_same(before, now) for before, now in zip(indexed, indexed[1:])]
    for now, mask in zip(indexed[1:], unchanged):
        now.paste(UNCHANGED, mask=mask)
    indexed[0].save(path, save_all=True, append_images=indexed[1:], duration=milliseconds,
                    loop=0, transparency=UNCHANGED, disposal=1, optimize=False)


def _same(before, now):
    """A mask of the pixels whose palette index did not change."""
    as_grey = lambda image: Image.frombytes("L", image.size, image.tobytes())
    return ImageChops.difference(as_grey(before), as_grey(now)).point(lambda v: 255 if v == 0 else 0)


def record_gif(display, path, seconds, interval=0.05, scale=0.5, grab=None):
    """Records the screen every `interval` s for `seconds` into a GIF of
    `scale` times its size; returns the number of frames. `grab`, if given,
    takes each picture instead of the X display's screenshot."""
    frames, due = [], time.monotonic()
    end = due + seconds
    while due < end:
        shot = grab() if grab else screenshot(display)
        size = (round(shot.width * scale), round(shot.height * scale))
        frames.append(shot.resize(size, Image.Resampling.BOX))
        due += interval
        time.sleep(max(0.0, due - time.monotonic()))
    write_gif(frames, path, round(interval * 1000))
    return len(frames)
