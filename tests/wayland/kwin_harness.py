"""End-to-end harness for quillmere-wayland under KWin: a private headless
KWin per session (Debian's kwin_wayland --virtual, copied, since the copy
drops the file capability this machine cannot grant), with a runtime
folder, a home and a session bus of its own; a picture on each output
(swaybg), screenshots through KWin's screenshot interface (kwin_shot.py) and
input through its fake input (virtual_pointer). The saver runs as `cmake
--install` puts it, beside the desktop file that install writes.

Everything runs as the test user: KWin grants what it guards to a client by
reading /proc/PID/exe, and a session bus lets in its own user alone. The
desktop files that let the screenshots and the fake input in are the
session's own.

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

from wayland_harness import WaylandSession, as_user, binary, user_folder, wait_for
import harness  # noqa: E402  (found through wayland_harness)

SHOT = Path(__file__).resolve().parent / "kwin_shot.py"
KEY_CODES = {"Shift_L": 42, "Control_L": 29, "a": 30}  # evdev's, for the pointer's "key"


class KWinSession(WaylandSession):
    def __init__(self, name, outputs=2, size=(512, 384)):
        super().__init__(name, size)
        self.outputs = [size] * outputs
        self.names = [f"Virtual-{i}" for i in range(outputs)]
        self.layout = (size[0] * outputs, size[1])  # side by side
        self.bus = None

    def saver_path(self):
        return self.artifact("prefix") / "bin" / "quillmere-wayland"

    def start_server(self):
        subprocess.run(["cmake", "--install", os.environ["QUILLMERE_BUILD"], "--prefix", self.artifact("prefix")],
                       check=True, stdout=subprocess.DEVNULL, timeout=120)
        # The screenshots' Python is a copy of its own: KWin asks the first
        # desktop file naming a program, and Debian's python3.11.desktop names python3.
        self.python, kwin = self.artifact("kwin_shot_python"), self.artifact("kwin_wayland")
        shutil.copy(os.path.realpath("/usr/bin/python3"), self.python)
        shutil.copy("/usr/bin/kwin_wayland", kwin)
        applications = self.artifact("data") / "applications"
        applications.mkdir(parents=True)
        for program, field, interface in (
                (binary("POINTER"), "X-KDE-Wayland-Interfaces", "org_kde_kwin_fake_input"),
                (self.python, "X-KDE-DBUS-Restricted-Interfaces", "org.kde.KWin.ScreenShot2")):
            (applications / f"{Path(program).name}.desktop").write_text(
                f"[Desktop Entry]\nType=Application\nName=test\nExec={program}\nNoDisplay=true\n{field}={interface}\n")
        # Each output its own picture, neither the sample desktop, so that
        # each board shows whose it cut.
        self.desktops = [self.artifact(f"desktop-{i + 1}.png") for i in range(len(self.names))]
        with Image.open(self.sample_desktop(self.screen, "sample.png")) as picture:
            for desktop, turn in zip(self.desktops, (ImageOps.flip, ImageOps.mirror)):
                turn(picture).save(desktop)

        runtime = user_folder(self.artifact("runtime"))
        bus = runtime / "bus"
        self.env = {"XDG_RUNTIME_DIR": runtime, "HOME": user_folder(self.artifact("home")),
                    "PATH": "/usr/bin:/bin", "DBUS_SESSION_BUS_ADDRESS": f"unix:path={bus}",
                    "XDG_DATA_HOME": self.artifact("data"),
                    "XDG_DATA_DIRS": f"{self.artifact('prefix') / 'share'}:/usr/share"}
        with open(self.artifact("kwin.log"), "w") as log:
            self.bus = subprocess.Popen(as_user(["dbus-daemon", "--session", "--nofork", f"--address=unix:path={bus}"],
                                                self.env), stdout=log, stderr=log)
            wait_for(bus.exists, 10)
            # KWIN_COMPOSE stays unset: with QPainter there are no screenshots.
            server = subprocess.Popen(
                as_user([kwin, "--virtual", "--width", self.screen[0], "--height", self.screen[1],
                         "--output-count", len(self.names), "--socket", "wayland-kwin", "--no-lockscreen",
                         "--no-global-shortcuts", "--no-kactivities"], self.env), stdout=log, stderr=log)
        self.env["WAYLAND_DISPLAY"] = "wayland-kwin"
        # Its socket comes before its screenshot interface.
        ping = as_user(["dbus-send", "--session", "--print-reply", "--dest=org.kde.KWin", "/org/kde/KWin/ScreenShot2",
                        "org.freedesktop.DBus.Properties.Get", "string:org.kde.KWin.ScreenShot2", "string:Version"],
                       self.env)
        if not wait_for(lambda: subprocess.run(ping, capture_output=True, timeout=10).returncode == 0, 20):
            harness.kill(server)
            raise RuntimeError(f"KWin did not start: see {self.artifact('kwin.log')}")
        return server

    def setup(self):
        for name, desktop in zip(self.names, self.desktops):
            self.start(["swaybg", "-o", name, "-i", desktop, "-m", "stretch"])
        for name, desktop in zip(self.names, self.desktops):
            self.wait_for_picture(name, desktop)

    def teardown(self):
        if self.bus is not None:
            harness.kill(self.bus)

    def start(self, args, env=None, **popen):
        """Starts a program as the test user, with `env` (or the session's) alone."""
        return super().start(as_user(args, env or self.env), dict(os.environ), **popen)

    def shot(self, output="Virtual-0", name=None):
        self._shots = getattr(self, "_shots", 0) + 1
        path = self.artifact(name or f"shot-{self._shots}.png")
        taken = subprocess.run(as_user([self.python, SHOT, output], self.env), capture_output=True, timeout=30)
        assert taken.returncode == 0, f"no screenshot of {output}: {taken.stderr.decode()}"
        path.write_bytes(taken.stdout)
        return path

    def keys(self, pointer, *names):
        """Each key of `names` pressed and let go through `pointer`, 300 ms apart."""
        for name in names:
            pointer.key(KEY_CODES[name])
            time.sleep(0.3)
