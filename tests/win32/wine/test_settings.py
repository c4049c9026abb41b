#!/usr/bin/python3
"""The settings dialog: its exact geometry, its look, and the web link that
every click on the logo or a label hands to the shell."""
import time
from pathlib import Path

from wine_harness import Session, load_image, run_cases

TITLE = "Quillmere Screensaver 1.0"
URL = "http://www.quillmere.example/"
MINIBMP = Path(__file__).resolve().parents[3] / "win32" / "resources" / "minibmp.bmp"

WS_CAPTION, WS_SYSMENU = 0x00C00000, 0x00080000
WS_THICKFRAME, WS_MINIMIZEBOX, WS_MAXIMIZEBOX = 0x00040000, 0x00020000, 0x00010000
SS_NOTIFY = 0x100
FW_BOLD, FIXED_PITCH = 700, 1


def open_dialog(session, args=()):
    proc = session.start(list(args))
    dialog = session.wait_window(TITLE, predicate=lambda w: w.visible and w.cls == "TMSetup")
    return proc, dialog


def check_geometry(screen, args):
    with Session("settings-geometry", screen=screen) as s:
        proc, dialog = open_dialog(s, args)
        assert dialog.client == (292, 186), dialog.client
        assert dialog.style & WS_CAPTION == WS_CAPTION and dialog.style & WS_SYSMENU
        assert not dialog.style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), hex(dialog.style)
        assert dialog.rect[0] == (screen[0] - dialog.width) // 2, dialog.rect
        assert dialog.rect[1] == (screen[1] - dialog.height) // 2, dialog.rect

        logo, label1, label2 = dialog.children
        assert logo.rect == (76, 10, 76 + 152, 10 + 112), logo.rect
        assert (label1.text, label2.text) == ("Please visit our site", URL)
        for label, top in ((label1, 136), (label2, 160)):
            width, height, face = s.text_extent("Arial", 16, FW_BOLD, FIXED_PITCH, label.text)
            print(f"{label.text!r}: {width} x {height} in {face}")
            assert (label.width, label.height) == (width, height), (label, width, height)
            assert label.rect[1] == top, label.rect
            assert label.rect[0] == (dialog.width - label.width) // 2, (label.rect, dialog.width)
        for control in dialog.children:
            assert control.style & SS_NOTIFY, control

        # The logo shows MINIBMP 1:1; the address is blue, the invitation black.
        ox, oy = dialog.client_origin
        shot = s.screenshot()
        picture = load_image(MINIBMP)
        if shot.crop(ox + 76, oy + 10, 152, 112).data != picture.data:
            shot.save(s.artifact("dialog.png"))
            raise AssertionError(f"the logo is not MINIBMP; see {s.artifact('dialog.png')}")
        colours = lambda c: shot.crop(ox + c.rect[0], oy + c.rect[1], c.width, c.height).colours()
        assert bytes((0, 0, 255)) in colours(label2)
        assert bytes((0, 0, 0)) in colours(label1)
        assert bytes((0, 0, 255)) not in colours(label1)

        s.close_window(TITLE)
        assert s.wait_exit(proc, 10) == 0


def case_geometry_no_argument():
    check_geometry((1024, 768), [])


def case_geometry_configure():
    check_geometry((800, 600), ["/c"])


def case_hand_cursor_over_controls():
    with Session("settings-cursor") as s:
        proc, dialog = open_dialog(s)
        ox, oy = dialog.client_origin

        def cursor_at(x, y):
            s.move_mouse(ox + x, oy + y)
            time.sleep(0.3)
            return s.cursor()

        background = cursor_at(280, 100)
        over = {cursor_at((c.rect[0] + c.rect[2]) // 2, (c.rect[1] + c.rect[3]) // 2)
                for c in dialog.children}
        assert len(over) == 1 and background not in over, (background, over)
        assert cursor_at(5, 5) == background
        s.close_window(TITLE)
        assert s.wait_exit(proc, 10) == 0


def case_clicks_open_the_site():
    with Session("settings-clicks") as s:
        proc, dialog = open_dialog(s)
        ox, oy = dialog.client_origin
        for n, control in enumerate(dialog.children, start=1):
            left, top, right, bottom = control.rect
            s.click(ox + (left + right) // 2, oy + (top + bottom) // 2)
            deadline = time.monotonic() + 15
            while len(s.browser_log()) < n:
                assert time.monotonic() < deadline, f"no address opened for {control}"
                time.sleep(0.1)
            assert s.browser_log() == [URL] * n, s.browser_log()
            # The dialog stays open.
            assert s.is_running(proc)
            assert [w.hwnd for w in s.windows(TITLE)] == [dialog.hwnd]
            time.sleep(0.6)  # keep the next click from joining a double click
        s.close_window(TITLE)
        assert s.wait_exit(proc, 10) == 0


def case_double_click_opens_once():
    """A double click is one click and then a double-click event: one open."""
    with Session("settings-double-click") as s:
        proc, dialog = open_dialog(s)
        ox, oy = dialog.client_origin
        for n, control in enumerate(dialog.children, start=1):
            left, top, right, bottom = control.rect
            s.move_mouse(ox + (left + right) // 2, oy + (top + bottom) // 2)
            s._x("xdotool", "click", "--repeat", "2", "--delay", "60", "1")
            deadline = time.monotonic() + 15
            while len(s.browser_log()) < n:
                assert time.monotonic() < deadline, f"no address opened for {control}"
                time.sleep(0.1)
            time.sleep(2.0)  # time for a second opening to show up
            assert s.browser_log() == [URL] * n, (control, s.browser_log())
            time.sleep(0.6)
        s.close_window(TITLE)
        assert s.wait_exit(proc, 10) == 0


if __name__ == "__main__":
    run_cases(globals())
