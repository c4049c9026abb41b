"""End-to-end harness for quillmere-wayland: a private headless sway per
session, run as the unprivileged user that test.sh makes (sway refuses to
run as root), with a runtime folder of its own, a sample desktop on each
output (swaybg), screenshots of an output (grim), a virtual pointer and
wtype's keys; or, as FakeSession, the fake compositor and its commands.
Everything a session starts is ended by its PID on exit.
What the sway and KWin suites share is here too (kwin_harness.py has the
rest): the test user's folders and processes, the pointer's line protocol,
the input rules and swayidle's start, each checked the same way on both.

    with Session("case", outputs=((512, 384), (400, 300))) as s:
        saver = s.start_saver(seed=5)
        shot = s.shot("HEADLESS-2")
        frames = s.render(s.desktops[1], 5, 200, size=(400, 300))

Binaries come from $QUILLMERE_WAYLAND, $QUILLMERE_RENDER, $QUILLMERE_SAMPLE,
$QUILLMERE_POINTER and $QUILLMERE_FAKE_COMPOSITOR.
"""

import os
import pwd
import signal
import subprocess
import sys
import time
import types
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
import harness  # noqa: E402
from harness import binary, descendants, run_cases, wait_for  # noqa: E402,F401  (for the test scripts)
from harness import shot_tick, sleep_until, ticks_by  # noqa: E402

USER = "quillmere-test"  # made by test.sh and run.sh
SEED = 13


def as_user(args, env):
    """The command line that runs `args` as the test user with `env` alone."""
    user = pwd.getpwnam(USER)
    return ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--clear-groups",
            "env", "-i", *(f"{k}={v}" for k, v in env.items()), *map(str, args)]


def user_folder(path, mode=0o700):
    """A new folder the test user owns (a runtime folder is 0700)."""
    user = pwd.getpwnam(USER)
    path.mkdir(mode=mode)
    os.chown(path, user.pw_uid, user.pw_gid)
    return path


def use_native_build():
    """Points the harness at the programs of build/native: for the scripts."""
    build = Path(__file__).resolve().parents[2] / "build" / "native"
    os.environ.update(
        QUILLMERE_WAYLAND=str(build / "wayland" / "quillmere-wayland"),
        QUILLMERE_RENDER=str(build / "headless" / "quillmere-render"),
        QUILLMERE_SAMPLE=str(build / "headless" / "quillmere-sample"),
        QUILLMERE_POINTER=str(build / "tests" / "wayland" / "virtual_pointer"))


class Pointer:
    """The virtual pointer: positions are on the output layout, in its units."""

    def __init__(self, proc):
        self.proc = proc
        assert proc.stdout.readline().strip() == "ready", "the virtual pointer did not start"

    def _say(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        assert self.proc.stdout.readline().strip() == "ok", f"virtual pointer: {line}"

    def move(self, x, y):
        self._say(f"move {x} {y}")

    def button(self, number=1, action="button"):
        """Pressed and released; or with action "press" or "release", one of the two."""
        self._say(f"{action} {number}")

    # KWin's fake input only:
    def nudge(self, dx, dy):
        """Moved by (dx, dy), as a mouse moves it."""
        self._say(f"nudge {dx} {dy}")

    def key(self, code):
        """The key of that evdev code pressed and let go."""
        self._say(f"key {code}")


class WaylandSession(harness.Session):
    """What a session of either compositor does alike; a subclass starts the
    compositor and names its outputs, pictures, pointer and keys."""

    def saver_path(self):
        return binary("WAYLAND")

    def wait_for_picture(self, output, picture, timeout=10):
        """Waits until the output shows exactly `picture`."""
        wanted = harness.pixels(picture)
        shown = wait_for(lambda: harness.pixels(self.shot(output)) == wanted, timeout, step=0.2)
        assert shown, f"{output} does not show {picture}"

    def start(self, args, env=None, **popen):
        popen.setdefault("stderr", subprocess.PIPE)
        return super().start(args, env, **popen)

    def start_saver(self, seed=None, args=(), env=None):
        env = dict(env or self.env)
        if seed is not None:
            env["QUILLMERE_SEED"] = str(seed)
        return self.start([self.saver_path(), *args], env=env)

    def pointer(self):
        proc = self.start([binary("POINTER"), *self.layout], stdin=subprocess.PIPE,
                          stdout=subprocess.PIPE, text=True)
        return Pointer(proc)

    def boards(self, saver):
        """The pids of the saver's board processes, one per output."""
        return descendants(saver.pid)

    def terminate(self, proc, number=signal.SIGTERM, timeout=5):
        """Sends a signal; returns (exit status, seconds until it ended)."""
        start = time.monotonic()
        os.kill(proc.pid, number)
        status = proc.wait(timeout=timeout)
        return status, time.monotonic() - start


def shown_size(size, transform="normal"):
    """The size an output of mode `size` shows under sway's `transform`."""
    return tuple(reversed(size)) if transform.endswith(("90", "270")) else tuple(size)


class Session(WaylandSession):
    """`outputs` are the outputs' modes; `transforms`, sway's word for each
    (normal, 90, flipped-270...), turn what they show: `self.shown` holds
    the sizes shown, of which `self.desktops` are."""

    def __init__(self, name, outputs=((512, 384),), scale=1, hide_cursor=True, transforms=None):
        super().__init__(name, outputs[0])
        self.outputs, self.scale, self.hide_cursor = outputs, scale, hide_cursor
        self.transforms = transforms or ["normal"] * len(outputs)
        self.shown = [shown_size(size, t) for size, t in zip(outputs, self.transforms)]
        self.names = [f"HEADLESS-{i + 1}" for i in range(len(outputs))]

    def start_server(self):
        runtime = user_folder(self.artifact("runtime"))
        self.desktops = [self.sample_desktop(size, f"desktop-{i + 1}.png")
                         for i, size in enumerate(self.shown)]
        # Side by side; each output's size and picture come from the config,
        # written before the output exists.
        lines, x = [], 0
        for name, (width, height), transform, desktop, shown in zip(
                self.names, self.outputs, self.transforms, self.desktops, self.shown):
            lines.append(f"output {name} mode --custom {width}x{height} position {x},0 "
                         f"scale {self.scale} transform {transform} bg {desktop} stretch")
            x += shown[0] // self.scale
        self.layout = (x, max(h for _, h in self.shown) // self.scale)
        # Headless outputs draw the cursor into their pictures, which the
        # saver photographs: hidden once still, unless a case looks for it.
        if self.hide_cursor:
            lines.append("seat * hide_cursor 100")
        config = self.artifact("sway.conf")
        config.write_text("\n".join(lines) + "\n")
        log = open(self.artifact("sway.log"), "w")
        sway = subprocess.Popen(
            as_user(["sway", "-c", config],
                    {"XDG_RUNTIME_DIR": runtime, "WLR_BACKENDS": "headless", "WLR_RENDERER": "pixman",
                     "WLR_LIBINPUT_NO_DEVICES": 1, "PATH": "/usr/bin:/bin"}),
            stdout=log, stderr=log)
        log.close()

        def sockets():
            display = [p for p in runtime.glob("wayland-*") if not p.name.endswith(".lock")]
            ipc = list(runtime.glob("sway-ipc.*.sock"))
            return (display[0], ipc[0]) if display and ipc else None

        found = wait_for(sockets, 10)
        if not found:
            harness.kill(sway)
            raise RuntimeError(f"sway did not start: see {self.artifact('sway.log')}")
        self.runtime = runtime
        self.env = dict(os.environ, XDG_RUNTIME_DIR=str(runtime), WAYLAND_DISPLAY=found[0].name,
                        SWAYSOCK=str(found[1]))
        for name in ("DISPLAY", "QUILLMERE_SEED"):
            self.env.pop(name, None)
        return sway

    def setup(self):
        for _ in self.names[1:]:
            self.swaymsg("create_output")
        for name, desktop in zip(self.names, self.desktops):
            self.wait_for_picture(name, desktop)

    def swaymsg(self, *args):
        return subprocess.run(["swaymsg", *map(str, args)], env=self.env, check=True,
                              capture_output=True, text=True, timeout=10).stdout

    def shot(self, output="HEADLESS-1", name=None):
        self._shots = getattr(self, "_shots", 0) + 1
        path = self.artifact(name or f"shot-{self._shots}.png")
        subprocess.run(["grim", "-o", output, str(path)], env=self.env, check=True, timeout=30)
        return path

    def wtype(self, *args):
        subprocess.run(["wtype", *args], env=self.env, check=True, timeout=10)

    def keys(self, pointer, *names):
        """Each key of `names` (keysyms) pressed and let go, 300 ms apart."""
        args = []
        for name in names:
            args += ["-k", name, "-s", "300"]
        self.wtype(*args)


class FakeSession(Session):
    """A case under the fake compositor's "serve" mode (fake_server.h), run
    as this user with a runtime folder of its own: one output per size in
    `outputs`, showing a sample desktop of that size, with the fake's
    options for it from `options` ("xbgr,y-invert", ...); `flags` go
    before the outputs. Outputs are "1", "2"... in its commands."""

    def __init__(self, name, outputs=((320, 240),), options=None, flags=()):
        super().__init__(name, outputs)
        self.options = options or [""] * len(outputs)
        self.flags = flags
        self.names = [str(i + 1) for i in range(len(outputs))]

    def start_server(self):
        runtime = self.artifact("runtime")
        runtime.mkdir(mode=0o700)
        self.desktops = [self.sample_desktop(size, f"desktop-{i + 1}.png")
                         for i, size in enumerate(self.outputs)]
        described = [",".join([str(d)] + ([o] if o else [])) for d, o in zip(self.desktops, self.options)]
        fake = subprocess.Popen([binary("FAKE_COMPOSITOR"), "serve", "wayland-fake", *self.flags, *described],
                                env=dict(os.environ, XDG_RUNTIME_DIR=str(runtime)), stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, text=True)
        if fake.stdout.readline().strip() != "ready":
            harness.kill(fake)
            raise RuntimeError("the fake compositor did not start")
        self.env = dict(os.environ, XDG_RUNTIME_DIR=str(runtime), WAYLAND_DISPLAY="wayland-fake")
        for name in ("DISPLAY", "QUILLMERE_SEED"):
            self.env.pop(name, None)
        return fake

    def setup(self):
        pass

    def tell(self, *words):
        """One command to the fake compositor; its answer."""
        self.server.stdin.write(" ".join(map(str, words)) + "\n")
        self.server.stdin.flush()
        return self.server.stdout.readline().strip()

    def shot(self, output="1", name=None):
        self._shots = getattr(self, "_shots", 0) + 1
        path = self.artifact(name or f"shot-{self._shots}.png")
        assert self.tell("shot", output, path) == "ok", f"no frame on output {output}"
        return path

    def sizes(self, output):
        """Each buffer size and scale the output's cover committed, in turn: ["WxH@S", ...]."""
        answer = self.tell("sizes", output)
        return [] if answer == "none" else answer.split()


# --- the saver's rules, checked alike on either compositor ---

def gone(pids):
    return not [p for p in pids if harness.alive(p)]


def check_two_outputs(s):
    """Two outputs, each its own board of its own picture with the
    renderer's frames, into the shuffle; a click on the second ends both
    once let go, so that the release reaches nothing beneath."""
    mine = [s.render(d, SEED, 200, size) for d, size in zip(s.desktops, s.outputs)]
    pointer = s.pointer()
    saver = s.start_saver(seed=SEED)
    sleep_until(saver, 1.0)
    first = [shot_tick(s, frames, saver, name) for name, frames in zip(s.names, mine)]
    assert [frames.phase(tick) for frames, tick in zip(mine, first)] == ["intro"] * 2, first
    time.sleep(0.5)
    later = [shot_tick(s, frames, saver, name) for name, frames in zip(s.names, mine)]
    assert later[0] > first[0] and later[1] > first[1], f"ticks {first} then {later}"
    boards = s.boards(saver)
    assert len(boards) == 2, f"{len(boards)} board processes for two outputs"
    pointer.move(s.outputs[0][0] + 200, 150)
    pointer.button(1, "press")
    time.sleep(0.5)
    assert s.is_running(saver), "the saver ended before the button was let go"
    pointer.button(1, "release")
    assert s.wait_exit(saver, 3) == 0, saver.stderr.read()
    assert saver.stderr.read() == b"", "it said something"
    assert wait_for(lambda: gone(boards), 2), "a board outlived the saver"


def check_signals(s):
    """SIGTERM, SIGINT and SIGHUP each end the saver and its two boards at
    once, with status 0 and not a word."""
    for number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        saver = s.start_saver()
        time.sleep(1.0)
        boards = s.boards(saver)
        assert len(boards) == 2
        status, seconds = s.terminate(saver, number)
        assert status == 0 and seconds < 1.0, f"{number!r}: status {status} after {seconds:.2f} s"
        assert saver.stderr.read() == b"", f"{number!r} made it say something"
        assert gone(boards), f"{number!r}: a board outlived the saver"

def check_input_rules(s, output):
    """On the session's first output (at 0, 0 of the layout): keys move
    another tile and end nothing; of the pointer's moves the first ten are
    ignored, the next recorded, and only one 3 pixels off it on both axes
    ends the saver; each button ends it."""
    frames = s.render(s.desktops[0], SEED, 400)
    pointer = s.pointer()
    pointer.move(200, 200)
    time.sleep(0.3)  # the compositor hides the still cursor before the photograph
    saver = s.start_saver(seed=SEED)
    sleep_until(saver, 2.2)  # into the shuffle
    # A new keyboard's first key may reach the saver as its release alone:
    # each run leads with a Shift, which does nothing either way.
    s.keys(pointer, "Shift_L", "Control_L", "Shift_L")
    time.sleep(0.2)
    shot_tick(s, frames, saver, output)  # still the course without keys
    s.keys(pointer, "Shift_L", "a")
    # Another tile moves, and the course after it is another: a move
    # lasts 8 ticks, so six moves on it would all have to agree by chance.
    time.sleep(1.0)
    shot = s.shot(output)
    with s.paused(saver.pid):
        assert s.match(shot, frames, 1, ticks_by(saver)) is None, "a key changed nothing"

    for i in range(10):  # ignored, wherever they go
        pointer.move(20 + 40 * i, 300 - 25 * i)
    pointer.move(100, 100)  # recorded
    for x in (150, 300, 400):  # straight right: never ends it
        pointer.move(x, 100)
    pointer.move(102, 102)  # 2 pixels on both axes
    time.sleep(0.3)
    assert s.is_running(saver), "keys or small moves ended the saver"
    pointer.move(103, 103)
    assert s.wait_exit(saver, 2) == 0, "3 pixels on both axes did not end it"

    for button in (1, 2, 3):
        saver = s.start_saver()
        time.sleep(0.7)
        pointer.button(button)
        assert s.wait_exit(saver, 2) == 0, f"button {button} did not end it"


def check_idle_start(s, output, env=(), **popen):
    """swayidle (with `env` added to the session's) starts the saver after
    an idle second, pointer motion ends it, and swayidle goes on."""
    frames = s.render(s.desktops[0], SEED, 150)
    pointer = s.pointer()
    idle = s.start(["swayidle", "-w", "timeout", "1", s.saver_path()],
                   env=dict(s.env, QUILLMERE_SEED=str(SEED), **dict(env)), **popen)

    def savers():
        return [p for p in descendants(idle.pid)
                if Path(f"/proc/{p}/cmdline").read_bytes().split(b"\0")[0] == str(s.saver_path()).encode()]

    found = wait_for(savers, 5)
    assert found, "swayidle started no saver after an idle second"
    saver = types.SimpleNamespace(pid=found[0], started=time.monotonic())
    time.sleep(1.0)
    assert frames.phase(shot_tick(s, frames, saver, output)) == "intro"
    for i in range(11):  # ten ignored, then one recorded
        pointer.move(150 + 10 * i, 150 + 10 * i)
    pointer.move(250 + 3, 250 + 3)
    assert wait_for(lambda: gone([saver.pid]), 3), "pointer motion did not end the saver"
    assert idle.poll() is None, "swayidle ended with the saver"
