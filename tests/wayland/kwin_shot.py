#!/usr/bin/python3
"""kwin_shot.py OUTPUT: that output's picture through KWin's screenshot
interface, as a PNG on stdout: the KWin suite's grim. KWin answers only a
program that a desktop file names; the suite writes one for python3."""

import os
import sys

import dbus
from PIL import Image

# Qt's image formats: words 0xAARRGGBB, B G R A in this machine's memory.
BGRA_FORMATS = {4, 5, 6}


def main():
    shooter = dbus.Interface(dbus.SessionBus().get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                             "org.kde.KWin.ScreenShot2")
    read, write = os.pipe()
    answer = shooter.CaptureScreen(sys.argv[1], {"native-resolution": True}, dbus.types.UnixFd(write))
    os.close(write)
    with os.fdopen(read, "rb") as pipe:
        data = pipe.read()
    if answer["type"] != "raw" or answer["format"] not in BGRA_FORMATS:
        sys.exit(f"kwin_shot: cannot read {dict(answer)}")
    size, stride = (int(answer["width"]), int(answer["height"])), int(answer["stride"])
    picture = Image.frombuffer("RGBA", size, data, "raw", "BGRA", stride, 1).convert("RGB")
    picture.save(sys.stdout.buffer, "PNG")


if __name__ == "__main__":
    main()
