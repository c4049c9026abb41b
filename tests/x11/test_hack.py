#!/usr/bin/python3
"""The quillmere hack end to end, each case on a private Xvfb: its frames
equal the headless renderer's for the same desktop and seed (shared memory
or plain images, root or own window, a foreign window that is resized), it
ends within 100 ms of SIGTERM leaving no segment and no child, and it
refuses bad input with one line and status 2."""

import os
import re
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from x11_harness import Session, binary, run_cases  # noqa: E402
from harness import check_intro_and_slide, shot_tick, sleep_until  # noqa: E402,F401

SEED = 11


def segments_of(pid):
    """Ids of the shared memory segments that process pid created."""
    out = subprocess.run(["ipcs", "-m", "-p"], capture_output=True, text=True, check=True).stdout
    found = []
    for line in out.splitlines():
        fields = line.split()
        if len(fields) >= 4 and fields[0].isdigit() and fields[2] == str(pid):
            found.append(fields[0])
    return found


def wait_segments_gone(pid, timeout=2.0):
    deadline = time.monotonic() + timeout
    while segments_of(pid) and time.monotonic() < deadline:
        time.sleep(0.02)
    return segments_of(pid)


def frames_on_root(shm):
    with Session("frames", shm=shm) as s:
        desktop = s.sample_desktop()
        s.set_root(desktop)
        frames = s.render(desktop, SEED, 260)
        hack = s.start_hack(["--root"], seed=SEED)
        seen = check_intro_and_slide(s, frames, hack)
        print("shuffle shots matched ticks", seen)
        assert bool(segments_of(hack.pid)) == shm, "shared memory used exactly when offered"
        status, seconds = s.terminate(hack)
        assert status == 0, hack.stderr.read()
        assert not wait_segments_gone(hack.pid), "a shared memory segment outlived the hack"


def case_frames_root_shared_memory():
    frames_on_root(shm=True)


def case_frames_root_plain_images():
    frames_on_root(shm=False)


def case_frames_own_window():
    with Session("own") as s:
        desktop = s.sample_desktop()
        s.set_root(desktop)
        frames = s.render(desktop, SEED + 1, 260)
        hack = s.start_hack([], seed=SEED + 1)
        check_intro_and_slide(s, frames, hack)
        assert s.is_running(hack)
        assert s.terminate(hack)[0] == 0


def case_window_id_follows_resize():
    with Session("window", screen=(800, 600)) as s:
        desktop = s.sample_desktop()
        s.set_root(desktop)
        host = s.test_window(400, 300)
        # The grab includes the host window, as the screen shows it.
        screen = s.shot(name="screen.png")
        big = s.render(s.scale(screen, (400, 300)), SEED, 260, size=(400, 300))
        small = s.render(s.scale(screen, (300, 200)), SEED, 200, size=(300, 200))
        hack = s.start_hack(["--window-id", host.window], seed=SEED)
        check_intro_and_slide(s, big, hack, host.window)
        s.tell(host, "resize 300 200")
        hack.started = time.monotonic()  # the board starts again with the resize
        time.sleep(0.7)
        tick = shot_tick(s, small, hack, host.window)
        assert small.phase(tick) == "intro" and tick >= 2, f"after the resize: tick {tick}"
        # The window gone, there is nothing left to draw on.
        s.tell(host, "destroy")
        assert s.wait_exit(hack, 2) == 0


def case_sigterm_ends_quickly():
    """Within 100 ms by design; asserted under 0.5 s so that load cannot make
    it flake, and the figures are printed."""
    figures = []
    with Session("sigterm") as s:
        s.set_root(s.sample_desktop())
        for args, moment in ((["--root"], 0.5), (["--root"], 2.5), ([], 0.5), ([], 2.5)):
            hack = s.start_hack(args)
            sleep_until(hack, moment)
            assert s.is_running(hack)
            assert s.children(hack) == [], "the hack started a child"
            status, seconds = s.terminate(hack)
            figures.append(seconds)
            assert status == 0, f"status {status}: {hack.stderr.read()}"
            assert seconds < 0.5, f"SIGTERM took {seconds:.3f} s"
            assert not wait_segments_gone(hack.pid)
    print("SIGTERM to exit, seconds:", " ".join(f"{f:.4f}" for f in figures))


def case_sigkill_leaves_no_segment():
    with Session("sigkill") as s:
        hack = s.start_hack(["--root"])
        time.sleep(0.5)
        assert segments_of(hack.pid), "no shared memory in use"
        s.kill(hack)
        assert not wait_segments_gone(hack.pid)


def case_bad_input():
    with Session("bad") as s:
        host = s.test_window(100, 100)
        nowhere = dict(s.env, DISPLAY=":65000")
        no_display = dict(s.env)
        no_display.pop("DISPLAY")
        cases = [
            (["--fullscreen"], s.env, "unknown option"),
            (["root"], s.env, "unknown option"),
            (["--window-id"], s.env, "needs a window id"),
            (["--window-id", "12x"], s.env, "not a window id"),
            (["-window-id", "0"], s.env, "not a window id"),
            (["--window-id", "0x7ffffff0"], s.env, "no window"),
            (["--root", "--window-id", host.window], s.env, "only one"),
            (["--root"], dict(s.env, XSCREENSAVER_WINDOW="junk"), "XSCREENSAVER_WINDOW"),
            (["--root"], dict(s.env, XSCREENSAVER_WINDOW="0x7ffffff0"), "no window"),
            (["--root"], dict(s.env, QUILLMERE_SEED="seven"), "QUILLMERE_SEED"),
            (["--root"], nowhere, "cannot open display"),
            ([], no_display, "cannot open display"),
        ]
        for args, env, reason in cases:
            result = subprocess.run([binary("HACK"), *args], env=env, capture_output=True,
                                    text=True, timeout=10)
            lines = result.stderr.splitlines()
            assert result.returncode == 2, f"{args}: status {result.returncode}"
            assert len(lines) == 1 and reason in lines[0], f"{args}: {result.stderr!r}"


def case_lost_connection():
    with Session("lost") as s:
        hack = s.start_hack(["--root"])
        time.sleep(0.5)
        s.kill(s.xvfb)
        status = s.wait_exit(hack, 5)
        message = hack.stderr.read().decode()
        assert status == 1, f"status {status}"
        assert "lost the connection to the X display" in message, message


def xdotool(s, *args):
    subprocess.run(["xdotool", *map(str, args)], env=s.env, check=True, timeout=10)


def case_input_rules():
    with Session("input") as s:
        s.set_root(s.sample_desktop())
        xdotool(s, "mousemove", 200, 200)
        hack = s.start_hack([])
        time.sleep(0.5)
        xdotool(s, "key", "a")
        xdotool(s, "key", "shift")
        for i in range(10):  # ignored, wherever they go
            xdotool(s, "mousemove", 20 + 40 * i, 300 - 25 * i)
        xdotool(s, "mousemove", 100, 100)  # recorded
        for x in (150, 300, 400):  # straight right: never ends it
            xdotool(s, "mousemove", x, 100)
        xdotool(s, "mousemove", 102, 102)  # 2 pixels on both axes
        time.sleep(0.3)
        assert s.is_running(hack), "keys or small moves ended the saver"
        xdotool(s, "mousemove", 103, 103)
        assert s.wait_exit(hack, 2) == 0, "3 pixels on both axes did not end it"

        hack = s.start_hack([])
        time.sleep(0.5)
        xdotool(s, "click", 3)
        assert s.wait_exit(hack, 2) == 0, "a button did not end it"


def case_other_monitors_covered():
    """In its own window the hack animates the primary monitor (the same
    frames as on a screen of that size) and covers every other monitor in
    black; a move over a cover counts as one over the saver, a click there
    ends it. The desktop picture tiles the screen, so the primary shows it
    whole wherever it lies."""
    for name, primary, other in (("right of the primary", 0, 512), ("left of it", 512, 0)):
        with Session("monitors", screen=(1024, 384)) as s:
            xrandr = lambda *args: subprocess.run(["xrandr", *args], env=s.env, check=True)
            xrandr("--setmonitor", "P", f"512/135x384/100+{primary}+0", "screen")
            xrandr("--setmonitor", "C", f"512/135x384/100+{other}+0", "none")
            desktop = s.sample_desktop((512, 384))
            s.set_root(desktop)
            frames = s.render(desktop, SEED, 120, size=(512, 384))
            xdotool(s, "mousemove", other + 100, 100)
            hack = s.start_hack([], seed=SEED)
            sleep_until(hack, 1.0)
            window = subprocess.run(["xdotool", "search", "--name", "Quillmere Screensaver"],
                                    env=s.env, capture_output=True, text=True).stdout.split()[0]
            assert frames.phase(shot_tick(s, frames, hack, window)) == "intro", name
            assert s.probe("black", "root", other, 0, 512, 384, check=False).returncode == 0, name
            for i in range(11):  # ten ignored, then one recorded, all over the cover
                xdotool(s, "mousemove", other + 20 + 30 * i, 300 - 20 * i)
            xdotool(s, "mousemove", other + 20 + 30 * 10 + 3, 300 - 20 * 10 - 3)
            assert s.wait_exit(hack, 2) == 0, f"{name}: a move over the cover did not end it"
            hack = s.start_hack([])
            time.sleep(0.5)
            xdotool(s, "click", 1)  # the pointer is still over the cover
            assert s.wait_exit(hack, 2) == 0, f"{name}: a click on the cover did not end it"


def case_install_layout():
    """cmake --install puts the hack and its settings where the daemon looks."""
    import tempfile
    import xml.etree.ElementTree as ET
    with tempfile.TemporaryDirectory() as prefix:
        subprocess.run(["cmake", "--install", os.environ["QUILLMERE_BUILD"], "--prefix", prefix],
                       check=True, capture_output=True, timeout=60)
        hack = Path(prefix, "libexec", "xscreensaver", "quillmere")
        assert hack.is_file() and os.access(hack, os.X_OK), "no executable hack installed"
        config = ET.parse(Path(prefix, "share", "xscreensaver", "config", "quillmere.xml")).getroot()
        assert config.tag == "screensaver" and config.get("name") == "quillmere"
        assert config.get("_label")
        description = config.find("_description").text.strip()
        assert description and "\n" not in description, repr(description)
        options = [e.tag for e in config if e.tag not in ("command", "_description")]
        assert options == [], f"settings offer options: {options}"


if __name__ == "__main__":
    run_cases(globals())
