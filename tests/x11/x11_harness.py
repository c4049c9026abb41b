#!/usr/bin/python3
"""End-to-end harness for the quillmere hack: a private Xvfb per session, the
hack and the probe on it, and the headless renderer's frames to compare with.
Python stdlib only.

    with Session("case", screen=(512, 384)) as s:
        s.set_root(s.sample_desktop())          # a known desktop picture
        hack = s.start_hack(["--root"], seed=5)
        shot = s.shot()                         # PNG path of the root window
        frames = s.render(desktop, seed=5, ticks=200)
        tick = s.match(shot, frames, 1, 60)     # the equal frame, or None
        s.terminate(hack)                       # SIGTERM -> (status, seconds)

Everything a session starts is ended by its PID on exit. Binaries come from
$QUILLMERE_HACK, $QUILLMERE_RENDER, $QUILLMERE_SAMPLE and $QUILLMERE_PROBE.
"""

import os
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
import harness  # noqa: E402
from harness import (COVER_BUTTONS, binary, edge_walk, hold_button, run_cases,  # noqa: E402,F401
                     ticks_by, wait_for, xdotool)  # (for the test scripts)


def use_native_build(work):
    """Points the harness at the programs of build/native, with scratch files
    in its folder `work`: for the scripts that run the hack by hand."""
    build = Path(__file__).resolve().parents[2] / "build" / "native"
    os.environ.update(
        QUILLMERE_HACK=str(build / "x11" / "quillmere"),
        QUILLMERE_RENDER=str(build / "headless" / "quillmere-render"),
        QUILLMERE_SAMPLE=str(build / "headless" / "quillmere-sample"),
        QUILLMERE_PROBE=str(build / "tests" / "x11" / "x11_probe"),
        QUILLMERE_X11_WORK=str(build / work))


class Session(harness.Session):
    def __init__(self, name, screen=(512, 384), depth=24, shm=True):
        super().__init__(name, screen, depth)
        if not shm:
            self.xvfb_args = ("-extension", "MIT-SHM")

    def work_dir(self):
        return Path(os.environ.get("QUILLMERE_X11_WORK") or tempfile.gettempdir())

    def setup(self):
        for name in ("XSCREENSAVER_WINDOW", "QUILLMERE_SEED"):
            self.env.pop(name, None)

    # --- processes ---
    def start(self, args, env=None, **popen):
        popen.setdefault("stderr", subprocess.PIPE)
        return super().start(args, env, **popen)

    def start_hack(self, args, seed=None, env=None):
        env = dict(env or self.env)
        if seed is not None:
            env["QUILLMERE_SEED"] = str(seed)
        return self.start([binary("HACK"), *args], env=env)

    def terminate(self, proc, timeout=5):
        """Sends SIGTERM; returns (exit status, seconds until it ended)."""
        start = time.monotonic()
        os.kill(proc.pid, signal.SIGTERM)
        status = proc.wait(timeout=timeout)
        return status, time.monotonic() - start

    def children(self, proc):
        found = []
        for task in Path(f"/proc/{proc.pid}/task").iterdir():
            found += (task / "children").read_text().split()
        return found

    # --- the display, through the probe ---
    def probe(self, *args, **run):
        run.setdefault("check", True)
        return subprocess.run([binary("PROBE"), *map(str, args)], env=self.env,
                              capture_output=True, text=True, timeout=60, **run)

    def set_root(self, picture):
        self.probe("set-root", picture)

    def cursor(self):
        """"shown" or "hidden": the pointer's cursor now."""
        return self.probe("cursor").stdout.strip()

    def shot(self, window="root", name=None):
        self._shots = getattr(self, "_shots", 0) + 1
        path = self.artifact(name or f"shot-{self._shots}.png")
        self.probe("shot", window, path)
        return path

    def scale(self, picture, size):
        path = self.artifact("scaled-%dx%d.png" % size)
        self.probe("scale", picture, size[0], size[1], path)
        return path

    def test_window(self, width, height, kind="window"):
        """A window of the probe's (kind "input-only": one that cannot be drawn on)."""
        proc = self.start([binary("PROBE"), kind, str(width), str(height)],
                          stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        proc.window = proc.stdout.readline().strip()
        return proc

    def tell(self, window_proc, command):
        window_proc.stdin.write(command + "\n")
        window_proc.stdin.flush()
        assert window_proc.stdout.readline().strip() == "ok"
