"""End-to-end harness for quillmere-wayland under KWin: a private headless
KWin per session (Debian's kwin_wayland --virtual, copied, since the copy
drops the file capability this machine cannot grant), with a runtime
folder, a home and a session bus of its own; a picture on each output
(swaybg), screenshots through KWin's screenshot interface (kwin_shot.py) and
input through its fake input (fake_input). The saver runs as `cmake
--install` puts it, beside the desktop file that install writes.

Everything runs as the test user: KWin grants what it guards to a client by
reading /proc/PID/exe, and a session bus lets in its own user alone. The
desktop files that let the screenshots and the fake input in are the
session's own, in its home.

    with KWinSession("case") as s:     # outputs Virtual-0 and Virtual-1
        saver = s.start_saver(seed=5)
        shot = s.shot("Virtual-1")
"""

import os
import shutil
import subprocess
import time
from pathlib import Path

from PIL import Image, ImageOps

from wayland_harness import Pointer, WaylandSession, as_user, binary, user_folder, wait_for
import harness  # noqa: E402  (found through wayland_harness)

SHOT = Path(__file__).resolve().parent / "kwin_shot.py"
# fake_input's key codes (evdev) for the keysyms the suites press.
KEY_CODES = {"Shift_L": 42, "Control_L": 29, "a": 30}


def desktop_file(path, program, field, interface):
    path.write_text("[Desktop Entry]\nType=Application\nName=" + path.stem +
                    f"\nExec={program}\nNoDisplay=true\n{field}={interface}\n")


class KWinSession(WaylandSession):
    def __init__(self, name, outputs=2, size=(512, 384)):
        super().__init__(name, size)
        self.outputs = [size] * outputs
        self.names = [f"Virtual-{i}" for i in range(outputs)]
        self.layout = (size[0] * outputs, size[1])  # side by side
        self.bus = None

    def saver_path(self):
        return self.prefix / "bin" / "quillmere-wayland"

    def start_server(self):
        runtime = user_folder(self.artifact("runtime"))
        home = user_folder(self.artifact("home"), 0o755)
        applications = user_folder(user_folder(user_folder(home / ".local", 0o755) / "share", 0o755) /
                                   "applications", 0o755)
        desktop_file(applications / "quillmere-test-input.desktop", binary("FAKE_INPUT"),
                     "X-KDE-Wayland-Interfaces", "org_kde_kwin_fake_input")
        # A copy of its own: KWin asks the first desktop file naming the
        # program, and Debian's python3.11.desktop names python3 too.
        self.python = self.artifact("kwin_shot_python")
        shutil.copy(os.path.realpath("/usr/bin/python3"), self.python)
        desktop_file(applications / "quillmere-test-shot.desktop", self.python,
                     "X-KDE-DBUS-Restricted-Interfaces", "org.kde.KWin.ScreenShot2")
        self.prefix = self.artifact("prefix")
        subprocess.run(["cmake", "--install", os.environ["QUILLMERE_BUILD"], "--prefix", self.prefix],
                       check=True, stdout=subprocess.DEVNULL, timeout=120)
        # Each output its own picture, and neither the sample desktop, so that
        # each board shows whose it cut.
        sample = self.sample_desktop(self.screen, "sample.png")
        self.desktops = [self.artifact(f"desktop-{i + 1}.png") for i in range(len(self.names))]
        with Image.open(sample) as picture:
            for desktop, turn in zip(self.desktops, (ImageOps.flip, ImageOps.mirror)):
                turn(picture).save(desktop)

        bus = runtime / "bus"
        self.env = {"XDG_RUNTIME_DIR": runtime, "HOME": home, "PATH": "/usr/bin:/bin",
                    "DBUS_SESSION_BUS_ADDRESS": f"unix:path={bus}",
                    "XDG_DATA_DIRS": f"{self.prefix / 'share'}:/usr/share"}
        log = open(self.artifact("kwin.log"), "w")
        self.bus = subprocess.Popen(as_user(["dbus-daemon", "--session", "--nofork", f"--address=unix:path={bus}"],
                                            self.env), stdout=log, stderr=log)
        if not wait_for(bus.exists, 10):
            raise RuntimeError(f"the session bus did not start: see {self.artifact('kwin.log')}")
        kwin = self.artifact("kwin_wayland")
        shutil.copy("/usr/bin/kwin_wayland", kwin)
        # KWIN_COMPOSE stays unset: with QPainter there are no screenshots.
        server = subprocess.Popen(
            as_user([kwin, "--virtual", "--width", self.screen[0], "--height", self.screen[1],
                     "--output-count", len(self.names), "--socket", "wayland-kwin", "--no-lockscreen",
                     "--no-global-shortcuts", "--no-kactivities"], self.env),
            stdout=log, stderr=log)
        log.close()
        self.env["WAYLAND_DISPLAY"] = "wayland-kwin"
        if not wait_for(lambda: (runtime / "wayland-kwin").exists(), 20):
            harness.kill(server)
            raise RuntimeError(f"KWin did not start: see {self.artifact('kwin.log')}")
        return server

    def setup(self):
        # Its socket comes before its screenshot interface.
        ping = as_user(["dbus-send", "--session", "--print-reply", "--dest=org.kde.KWin",
                        "/org/kde/KWin/ScreenShot2", "org.freedesktop.DBus.Peer.Ping"], self.env)
        assert wait_for(lambda: subprocess.run(ping, capture_output=True, timeout=10).returncode == 0, 20), \
            "KWin's screenshot interface is not on the session bus"
        for name, desktop in zip(self.names, self.desktops):
            self.start(["swaybg", "-o", name, "-i", desktop, "-m", "stretch"])
        for name, desktop in zip(self.names, self.desktops):
            self.wait_for_picture(name, desktop, timeout=20)

    def teardown(self):
        if self.bus is not None:
            harness.kill(self.bus)

    def start(self, args, env=None, **popen):
        """Starts a program as the test user, with `env` (or the session's) alone."""
        return super().start(as_user(args, env or self.env), dict(os.environ), **popen)

    def shot(self, output="Virtual-0", name=None):
        self._shots = getattr(self, "_shots", 0) + 1
        path = self.artifact(name or f"shot-{self._shots}.png")
        taken = subprocess.run(as_user([self.python, SHOT, output], self.env), capture_output=True,
                               timeout=30)
        assert taken.returncode == 0, f"no screenshot of {output}: {taken.stderr.decode()}"
        path.write_bytes(taken.stdout)
        return path

    def pointer(self):
        return Pointer(self.start([binary("FAKE_INPUT")], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  text=True))

    def keys(self, pointer, *names):
        """Each key of `names` pressed and let go through `pointer`, 300 ms apart."""
        for name in names:
            pointer.key(KEY_CODES[name])
            time.sleep(0.3)
