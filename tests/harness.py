"""What the end-to-end suites and the scripts share: a private display
server (Xvfb unless a session starts another), the processes a session
starts (each ended by its PID, never by name), their CPU time from /proc,
the headless renderer's frames and the comparison of screenshots with them,
and the command line of the test scripts. Python stdlib, and Pillow for the
comparison.

    class MySession(Session): ...          # adds what one platform needs
    with MySession("case", screen=(1024, 768)) as s:
        proc = s.start([...])
        s.wait_exit(proc, 5)               # exit code; TimeoutError if it runs on
        cpu_percent([proc.pid, s.server.pid], 2.0)
        frames = s.render(desktop, seed=5, ticks=200)
        tick = s.match(shot, frames, 1, 60)     # the equal frame, or None

`script.py NAME` runs case_NAME() through run_cases(globals());
`script.py --list` prints the names.
"""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path


# The saver's pointer rules where its window meets a cover over another
# monitor, for every suite whose saver covers monitors. From the point the
# saver recorded just inside its own monitor, each step lands on the cover:
# (along, across) pixels, along being the way from the saver's monitor onto
# the cover's, and whether the step ends the saver. The recorded point never
# moves, so the steps are taken from it one after another, in this order.
EDGE_STEPS = (((1, 5), False), ((5, 1), False), ((3, 3), True))
# Pressed over a cover, each ends the saver and reaches nothing beneath:
# neither the press nor the release, held as a hand holds it.
COVER_BUTTONS = (1, 2, 3)
BUTTON_HELD = 0.3  # seconds
TICK = 0.020  # the saver's timer, in seconds


def binary(name):
    path = os.environ.get("QUILLMERE_" + name)
    if not path:
        sys.exit(f"QUILLMERE_{name} must name the binary")
    return path


def edge_walk(primary, cover, ignored):
    """Where the pointer goes for EDGE_STEPS, from the saver's monitor
    `primary` onto the `cover` beside it (both left, top, right, bottom on
    one scale): where the pointer waits inside the primary while the saver
    starts, `ignored` other places there for the moves the saver ignores,
    the place it then records, just inside the primary at the middle of the
    edge the two share, and each step's place with whether it ends the
    saver."""
    (pl, pt, pr, pb), (cl, ct, cr, cb) = primary, cover
    if cl == pr or cr == pl:  # side by side: the steps go along x
        way, across = (1 if cl == pr else -1, 0), (0, 1)
        lo, hi = max(pt, ct), min(pb, cb)
        recorded = (pr - 1 if cl == pr else pl, (lo + hi) // 2)
    elif ct == pb or cb == pt:  # one above the other: along y
        way, across = (0, 1 if ct == pb else -1), (1, 0)
        lo, hi = max(pl, cl), min(pr, cr)
        recorded = ((lo + hi) // 2, pb - 1 if ct == pb else pt)
    else:
        raise ValueError(f"{primary} and {cover} share no edge")
    if hi - lo < 12:
        raise ValueError(f"{primary} and {cover} share too short an edge")
    steps = [((recorded[0] + a * way[0] + c * across[0], recorded[1] + a * way[1] + c * across[1]),
              ends) for (a, c), ends in EDGE_STEPS]
    moves = [(pl + 20 + i * (pr - pl - 60) // ignored, pt + 20 + i * (pb - pt - 60) // ignored)
             for i in range(ignored)]
    return (pl + 10, pt + 10), moves, recorded, steps


def walk_edge(session, proc, walk, move, pointer_hidden, settle):
    """Takes the pointer the way edge_walk gives, `move(x, y)` moving it and
    each move given `settle` s to arrive: the moves the saver ignores, the
    one it records, then the steps onto the cover, each of which must end
    the saver or not as EDGE_STEPS says; while it runs on, the pointer there
    is hidden."""
    _, moves, recorded, steps = walk
    for place in moves + [recorded]:
        move(*place)
        time.sleep(settle)
    for place, ends in steps:
        move(*place)
        if ends:
            assert session.wait_exit(proc, 5) == 0, f"the step to {place} did not end the saver"
            return
        time.sleep(settle)
        assert session.is_running(proc), f"the step to {place} ended the saver"
        assert pointer_hidden(), f"the pointer shows at {place}"
    raise AssertionError("no step ended the saver")


def rule_walk(area, ignored=10):
    """The pointer rule in an area (left, top, width, height): places for the
    moves ignored (showing the window may be the first, so the last may be
    recorded), then, with whether it ends the saver, 100 pixels straight, 2
    and 3 diagonally from the point recorded, whichever of the two it was."""
    left, top, width, height = area
    moves = [(left + 20 + i * (width - 60) // ignored, top + height - 20 - i * (height - 60) // ignored)
             for i in range(ignored)]
    x, y = moves[-1]
    return moves, [((x - 100, y), False), ((x - 102, y + 2), False), ((x - 103, y + 3), True)]


def xdotool(env, *args):
    subprocess.run(["xdotool", *map(str, args)], env=env, check=True, timeout=10)


def hold_button(env, button):
    """Presses `button` where the pointer is and lets it go BUTTON_HELD s later."""
    xdotool(env, "mousedown", button)
    time.sleep(BUTTON_HELD)
    xdotool(env, "mouseup", button)


def start_xvfb(width, height, depth=24, extra=()):
    """A private X server, numbered by the server itself: (process, ":N")."""
    read, write = os.pipe()
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{width}x{height}x{depth}",
         "-nolisten", "tcp", "-noreset", *extra],
        pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as pipe:
        number = pipe.readline().strip()
    if not number:
        proc.kill()
        proc.wait()
        raise RuntimeError("Xvfb did not start")
    return proc, ":" + number


def cpu_seconds(pid):
    """utime + stime of a process (fields 14 and 15 of its stat)."""
    fields = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_percent(pids, seconds):
    """The share of one core each process used over the same next `seconds`."""
    before, start = [cpu_seconds(p) for p in pids], time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - start
    return [100.0 * (cpu_seconds(p) - b) / elapsed for p, b in zip(pids, before)]


def alive(pid):
    """A process of that pid runs: a zombie or a reaped one does not."""
    try:
        state = Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[0]
    except FileNotFoundError:
        return False
    return state not in ("Z", "X")


def is_running(proc):
    """Still running: a zombie or a reaped process is not."""
    return proc.poll() is None and alive(proc.pid)


def wait_exit(proc, timeout):
    """The exit code; raises TimeoutError if it still runs after `timeout` s."""
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        raise TimeoutError(f"process {proc.pid} still runs after {timeout} s") from None


def kill(proc):
    if proc.poll() is None:
        try:
            os.kill(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
    proc.wait()


def wait_for(predicate, timeout, step=0.05):
    """The predicate's first true value within `timeout` s, else its last."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


def descendants(pid):
    """The pids of a process's children, theirs, and so on."""
    found, queue = [], [pid]
    while queue:
        try:
            tasks = list(Path(f"/proc/{queue.pop()}/task").iterdir())
        except FileNotFoundError:
            continue
        for task in tasks:
            try:
                children = [int(c) for c in (task / "children").read_text().split()]
            except FileNotFoundError:
                continue
            found += children
            queue += children
    return found


class Session:
    """A case: a scratch folder, a private display server (Xvfb, unless
    start_server() is overridden) and the processes started on it.
    Subclasses extend setup() and teardown(); the folder is kept when the
    case fails."""

    xvfb_args = ()

    def __init__(self, name="case", screen=(1024, 768), depth=24):
        self.name = re.sub(r"[^A-Za-z0-9_.-]", "_", name)
        self.screen, self.depth = screen, depth
        self.procs = []
        self.server = self.xvfb = None

    def work_dir(self):
        return Path(tempfile.gettempdir())

    def __enter__(self):
        work = self.work_dir()
        work.mkdir(parents=True, exist_ok=True)
        self.dir = Path(tempfile.mkdtemp(prefix=self.name + "-", dir=work))
        os.chmod(self.dir, 0o755)
        try:
            self.server = self.start_server()
            self.setup()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def start_server(self):
        """Starts the session's display server and sets self.env for its
        clients; returns its Popen."""
        self.xvfb, self.display = start_xvfb(*self.screen, self.depth, self.xvfb_args)
        self.env = dict(os.environ, DISPLAY=self.display)
        return self.xvfb

    def setup(self):
        pass

    def teardown(self):
        pass

    def __exit__(self, kind, value, trace):
        for proc in reversed(self.procs):
            kill(proc)
        self.teardown()
        if self.server is not None:
            kill(self.server)
        if kind is None and not os.environ.get("QUILLMERE_KEEP_CASES"):
            shutil.rmtree(self.dir, ignore_errors=True)
        elif kind is not None:
            print(f"case files kept in {self.dir}", file=sys.stderr)
        return False

    def artifact(self, name):
        return self.dir / name

    def xrandr(self, *args):
        subprocess.run(["xrandr", *map(str, args)], env=self.env, check=True, capture_output=True,
                       timeout=60)

    def set_monitor(self, name, area, output="none"):
        """Shows RandR a monitor over `area` (left, top, right, bottom), on
        the screen's one output ("screen") or on none."""
        left, top, right, bottom = area
        width, height = right - left, bottom - top
        self.xrandr("--setmonitor", name, f"{width}/{width // 4}x{height}/{height // 4}+{left}+{top}",
                    output)

    def start(self, args, env=None, **popen):
        """Starts a program on the session's display; returns a Popen."""
        popen.setdefault("stdout", subprocess.DEVNULL)
        popen.setdefault("stderr", subprocess.DEVNULL)
        proc = subprocess.Popen([str(a) for a in args], env=env or self.env, **popen)
        proc.started = time.monotonic()
        self.procs.append(proc)
        return proc

    is_running = staticmethod(is_running)
    wait_exit = staticmethod(wait_exit)
    kill = staticmethod(kill)

    def cpu_percent(self, proc, seconds):
        return cpu_percent([proc.pid], seconds)[0]

    # --- the renderer's frames, and screenshots compared with them ---
    def sample_desktop(self, size=None, name="desktop.png"):
        """The sample desktop of `size` (default: the screen's) as a PNG."""
        path = self.artifact(name)
        size = size or self.screen
        subprocess.run([binary("SAMPLE"), "%dx%d" % tuple(size), str(path)], check=True,
                       stdout=subprocess.DEVNULL)
        return path

    def render(self, desktop, seed, ticks, size=None, keys=()):
        """Renders every tick 1..ticks of a desktop of `size` (default: the
        screen's), a key pressed before each tick in `keys`; returns the
        frames and their trace."""
        stem = f"{Path(desktop).stem}-{seed}" + (f"-keys-{len(keys)}" if keys else "")
        out = self.artifact(f"frames-{stem}")
        trace = self.artifact(f"trace-{stem}.jsonl")
        args = [binary("RENDER"), "--desktop", str(desktop), "--seed", str(seed), "--ticks",
                str(ticks), "--out", str(out), "--trace", str(trace)]
        for tick in range(1, ticks + 1):
            args += ["--frame", str(tick)]
        for tick in keys:
            args += ["--key", str(tick)]
        subprocess.run(args, check=True, stdout=subprocess.DEVNULL, timeout=120)
        records = [json.loads(line) for line in trace.read_text().splitlines()]
        return Frames(out, records, size or self.screen)

    def paused(self, pid, others=()):
        """Stops process pid, its descendants and `others` while the block runs
        (a slow comparison must not let the saver run past the rendered ticks)."""

        class Pause:
            def __enter__(self):
                self.pids = [pid, *descendants(pid), *others]
                for p in self.pids:
                    os.kill(p, signal.SIGSTOP)

            def __exit__(self, *exc):
                for p in self.pids:
                    os.kill(p, signal.SIGCONT)
                return False

        return Pause()

    def match(self, shot, frames, first, last):
        """The tick in first..last whose renderer frame equals the shot, or None."""
        return frames.tick_of(pixels(shot), first, last)


def pixels(picture):
    """A picture file's size and RGB pixels, for comparing two exactly."""
    from PIL import Image  # noqa: PLC0415  (only the comparisons need Pillow)
    with Image.open(picture) as image:
        return image.size, image.convert("RGB").tobytes()


class Frames:
    def __init__(self, folder, records, size):
        self.folder, self.records = Path(folder), records
        self.ticks = len(records)
        self.tile = (size[0] // 8, size[1] // 8)
        self._hashes = {}  # each frame's pixels' hash, read once

    def path(self, tick):
        return self.folder / f"frame-{tick}.png"

    def tick_of(self, seen, first, last):
        """The first tick in first..last whose frame has those pixels, or None."""
        for tick in range(max(first, 1), min(last, self.ticks) + 1):
            if tick not in self._hashes:
                self._hashes[tick] = hash(pixels(self.path(tick)))
            if self._hashes[tick] == hash(seen) and pixels(self.path(tick)) == seen:
                return tick
        return None

    def phase(self, tick):
        """'intro', 'mid-slide' or 'at rest' (the mover at home or arrived)."""
        record = self.records[tick - 1]
        if record["intro"] < 100 or tick <= 100:
            return "intro"
        col, row = record["mover"]
        hcol, hrow = record["hole"]
        index = (col - 1) * 8 + (row - 1)
        hole = (hcol - 1) * 8 + (hrow - 1)
        at = (record["left"][index], record["top"][index])
        ends = {(record["left"][hole], record["top"][hole])}
        ends.add(((col - 1) * self.tile[0], (row - 1) * self.tile[1]))
        return "at rest" if at in ends else "mid-slide"


def ticks_by(proc, now=None):
    """The most ticks the saver can have run by now: one per 20 ms at best."""
    return int(((now or time.monotonic()) - proc.started) / TICK) + 1


def sleep_until(proc, seconds):
    time.sleep(max(0.0, proc.started + seconds - time.monotonic()))


def shot_tick(s, frames, saver, where="root"):
    """Photographs `where`; returns the tick whose renderer frame it equals,
    among all the ticks the saver can have reached."""
    shot = s.shot(where)
    last = ticks_by(saver)
    with s.paused(saver.pid):
        tick = s.match(shot, frames, 1, last)
    assert tick is not None, f"{shot} equals no renderer frame of ticks 1..{last}"
    return tick


def check_intro_and_slide(s, frames, saver, where="root"):
    """One screenshot mid-intro, then screenshots of the shuffle until one
    catches a tile mid-slide; every one must equal a renderer frame."""
    return check_places(s, [(where, frames)], saver)[where]


def check_places(s, places, saver, attempts=10):
    """check_intro_and_slide at several places at once (each monitor's or
    output's), each (where, its renderer frames): a mid-intro shot of each,
    then shots of each until each has caught a tile mid-slide."""
    sleep_until(saver, 1.0)
    for where, frames in places:
        tick = shot_tick(s, frames, saver, where)
        assert frames.phase(tick) == "intro" and 2 <= tick <= 99, \
            f"mid-intro shot of {where} matched tick {tick}"
    sleep_until(saver, 2.6)
    seen = {}
    for where, frames in places:
        seen[where] = []
        for attempt in range(attempts):
            tick = shot_tick(s, frames, saver, where)
            seen[where].append((tick, frames.phase(tick)))
            if seen[where][-1][1] == "mid-slide":
                break
            time.sleep(0.013 * (attempt + 1))
        else:
            raise AssertionError(f"no shot of {where} caught a tile mid-slide: {seen[where]}")
    return seen


def run_cases(namespace):
    names = sorted(n[5:] for n in namespace if n.startswith("case_"))
    if len(sys.argv) != 2:
        sys.exit(f"usage: {sys.argv[0]} --list | CASE")
    if sys.argv[1] == "--list":
        print("\n".join(names))
        return
    if sys.argv[1] not in names:
        sys.exit(f"unknown case {sys.argv[1]!r}; cases: {', '.join(names)}")
    namespace["case_" + sys.argv[1]]()
    print(f"{sys.argv[1]}: passed")
