#!/usr/bin/python3
"""End-to-end harness: runs quillmere.scr and the test-only Win32 hosts under
Wine on a private Xvfb, and judges them from outside. Python stdlib only.

    from wine_harness import Session
    with Session("dialog", screen=(1024, 768)) as s:
        proc = s.start(["/c"])                        # wine quillmere.scr /c
        win = s.wait_window("Quillmere Screensaver 1.0")   # Win32's own view
        win.client, win.rect, win.children            # sizes, child controls
        s.click(x, y); s.move_mouse(x, y); s.key("Return")
        shot = s.screenshot(); shot.pixel(x, y)        # -> (r, g, b)
        s.close_window("Quillmere Screensaver 1.0")    # SC_CLOSE
        assert s.wait_exit(proc, timeout=5) == 0
        s.cpu_percent(proc, seconds=2.0)               # from /proc/PID/stat

Session(..., monitors=[(x, y, w, h), ...]) shows Wine these monitors (X's
coordinates, the first the primary, which Wine puts at its (0, 0)).
Session(..., arch="win64") runs in a prefix of that arch instead of the
suite's (s.loader is its Wine; 32-bit programs run in a win64 prefix too).

Other calls: start_host(name, args) runs tests/win32/wine/hosts/NAME.exe,
windows(title) lists matching windows now (wininfo, windows and wait_window
take desktop="Name,WxH" for a Wine desktop of that name), find_window(title)
the first or None, cursor() (a handle to compare), cursor_shown(),
hold_button(button), windows_path(path), semaphore_present(name),
open_desktop("Name,WxH") makes a Wine desktop that start(args, desktop=...)
runs programs in, first_tile_frames(proc) waits for the saver's first intro
frame, reg_add(key, name, data) writes the prefix's registry,
set_root_picture(png), load_image(path), is_running(proc), kill(proc),
browser_log() (URLs the shell opened), artifact(name) (a path kept after the
run). A Session owns everything it starts and ends it by PID on exit.

Prefixes: where 32-bit code runs, the shipped 32-bit build runs in win32
prefixes; where it cannot (no IA-32 emulation in the kernel), the x86_64
build of the same sources ($QUILLMERE_WIN64_BUILD) runs in win64 prefixes
with the wine64 loader ($QUILLMERE_WINE_ARCH overrides the choice). One
prefix per arch is initialised once per build (under
$QUILLMERE_WINE_WORK, default <cross build>/wine-work; `wine_harness.py init
[ARCH]` does it ahead, and sessions wait for it under a lock) and copied per
session.
The cross build is found through $QUILLMERE_WIN_BUILD.
"""

import fcntl
import os
import shutil
import struct
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2]))
import harness  # noqa: E402
from harness import run_cases  # noqa: E402,F401  (the test scripts' entry point)

HERE = Path(__file__).resolve().parent
WINE32, WINESERVER32 = "/usr/lib/wine/wine", "/usr/lib/wine/wineserver32"
WINE64, WINESERVER64 = "/usr/lib/wine/wine64", "/usr/lib/wine/wineserver64"
BROWSER_STUB = HERE / "record_browser.sh"
# Directories of the prefix that Wine only reads; the copies hard-link them.
SHARED_DIRS = ("drive_c/windows/system32", "drive_c/windows/syswow64",
               "drive_c/windows/winsxs")


def win_build():
    """The shipped 32-bit cross build."""
    build = os.environ.get("QUILLMERE_WIN_BUILD")
    if not build:
        sys.exit("QUILLMERE_WIN_BUILD must name the cross build folder")
    return Path(build).resolve()


def runs_32bit_code():
    """Whether this kernel runs 32-bit Linux programs such as Wine's 32-bit
    loader; without IA-32 emulation it fails with an exec format error."""
    try:
        return subprocess.run([WINE32, "--version"], capture_output=True,
                              timeout=30).returncode == 0
    except OSError:
        return False


def wine_arch():
    """win32 (the shipped build in 32-bit prefixes) or win64 (the same
    sources built for x86_64, where 32-bit code cannot run)."""
    arch = os.environ.get("QUILLMERE_WINE_ARCH")
    if arch not in ("win32", "win64"):
        arch = "win32" if runs_32bit_code() else "win64"
        os.environ["QUILLMERE_WINE_ARCH"] = arch
    return arch


def run_build():
    """The cross build whose programs run under Wine."""
    if wine_arch() == "win32":
        return win_build()
    build = os.environ.get("QUILLMERE_WIN64_BUILD")
    if not build:
        sys.exit("QUILLMERE_WIN64_BUILD must name the x86_64 cross build folder")
    return Path(build).resolve()


def wine_loader(arch=None):
    return WINE32 if (arch or wine_arch()) == "win32" else WINE64


def wineserver(arch=None):
    return WINESERVER32 if (arch or wine_arch()) == "win32" else WINESERVER64


def work_dir():
    work = os.environ.get("QUILLMERE_WINE_WORK")
    path = Path(work) if work else win_build() / "wine-work"
    path.mkdir(parents=True, exist_ok=True)
    return path.resolve()


def shipped_scr_path():
    return win_build() / "quillmere.scr"


def scr_path():
    return run_build() / "quillmere.scr"


def host_path(name):
    return run_build() / "tests" / "win32" / "wine" / "hosts" / f"{name}.exe"


def windows_path(path):
    """A Linux path as the prefix's programs name it."""
    return "Z:" + str(path).replace("/", "\\")


def _wine_env(prefix, arch=None, **extra):
    arch = arch or wine_arch()
    env = dict(os.environ)
    env.update(WINEPREFIX=str(prefix), WINEARCH=arch, WINEDEBUG="-all",
               WINELOADER=wine_loader(arch), WINESERVER=wineserver(arch),
               # No Mono or Gecko installer dialogs.
               WINEDLLOVERRIDES="mscoree,mshtml=")
    env.update(extra)
    return env


def _base_stamp(arch):
    version = subprocess.run([wine_loader(arch), "--version"], capture_output=True,
                             text=True).stdout
    return f"{version.strip()} {arch}\n{BROWSER_STUB}\n"


def base_prefix(arch=None):
    """The initialised prefix of that arch (the suite's by default) shared
    by all sessions; made on first use."""
    arch = arch or wine_arch()
    work = work_dir()
    base = work / f"base-prefix-{arch}"
    stamp = base / ".quillmere-ready"
    with open(work / f"base-prefix-{arch}.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        expected = _base_stamp(arch)
        if stamp.exists() and stamp.read_text() == expected:
            return base
        shutil.rmtree(base, ignore_errors=True)
        env = _wine_env(base, arch)
        env.pop("DISPLAY", None)
        run = lambda *args: subprocess.run(args, env=env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL, timeout=300)
        wine = wine_loader(arch)
        run(wine, "wineboot", "-i")
        # Without a window manager Wine waits ~2 s on every hide; unmanaged
        # windows close at once.
        run(wine, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
            "/d", "N", "/f")
        run(wine, "reg", "add", r"HKCU\Software\Wine\WineBrowser", "/v", "Browsers",
            "/d", str(BROWSER_STUB), "/f")
        run(wineserver(arch), "-w")
        stamp.write_text(expected)
        return base


def _copy_prefix(base, target):
    shared = {base / d for d in SHARED_DIRS}
    for root, dirs, files in os.walk(base):
        root = Path(root)
        dest = target / root.relative_to(base)
        dest.mkdir(exist_ok=True)
        linked = any(root == s or s in root.parents for s in shared)
        for name in dirs:
            source = root / name
            if source.is_symlink():
                os.symlink(os.readlink(source), dest / name)
        dirs[:] = [d for d in dirs if not (root / d).is_symlink()]
        for name in files:
            source = root / name
            if source.is_symlink():
                os.symlink(os.readlink(source), dest / name)
            elif linked:
                os.link(source, dest / name)
            else:
                shutil.copy2(source, dest / name)
    # Debian's Wine records its server folder here; a copy needs its own.
    (target / "wineserver").unlink(missing_ok=True)


class Image:
    """An RGB picture: pixel(x, y) -> (r, g, b)."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    @classmethod
    def from_ppm(cls, blob):
        tokens, pos = [], 0
        while len(tokens) < 4:
            while blob[pos:pos + 1].isspace():
                pos += 1
            if blob[pos:pos + 1] == b"#":
                pos = blob.index(b"\n", pos)
                continue
            end = pos
            while not blob[end:end + 1].isspace():
                end += 1
            tokens.append(blob[pos:end])
            pos = end
        if tokens[0] != b"P6" or int(tokens[3]) != 255:
            raise ValueError("expected an 8-bit binary PPM")
        width, height = int(tokens[1]), int(tokens[2])
        return cls(width, height, blob[pos + 1:pos + 1 + width * height * 3])

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def crop(self, left, top, width, height):
        rows = [self.data[((top + y) * self.width + left) * 3:
                          ((top + y) * self.width + left + width) * 3] for y in range(height)]
        return Image(width, height, b"".join(rows))

    def colours(self):
        return {self.data[i:i + 3] for i in range(0, len(self.data), 3)}

    def save(self, path):
        header = f"P6\n{self.width} {self.height}\n255\n".encode()
        subprocess.run(["convert", "ppm:-", str(path)], input=header + self.data, check=True)


def load_image(path):
    blob = subprocess.run(["convert", str(path), "-depth", "8", "ppm:-"],
                          capture_output=True, check=True).stdout
    return Image.from_ppm(blob)


def xwd_pixels(xwd, points):
    """The (r, g, b) of each point of an xwd dump, read by its header's own
    layout: quicker than decoding a whole screen, for a shot taken in a race."""
    header = struct.unpack(">25I", xwd[:100])
    size, byte_order, bits, line, masks, colours = (header[0], header[7], header[11],
                                                    header[12], header[14:17], header[19])
    start, step = size + 12 * colours, bits // 8
    order = "little" if byte_order == 0 else "big"
    for x, y in points:
        value = int.from_bytes(xwd[start + y * line + x * step:][:step], order)
        yield tuple((value & mask) >> ((mask & -mask).bit_length() - 1) for mask in masks)


def shows_tile_frames(xwd, width, height, left=0, top=0):
    """Lavender at the top-left corner of nearly every cell of the area: the
    intro has begun there."""
    corners = [(left + col * (width // 8), top + row * (height // 8))
               for col in range(8) for row in range(8)]
    return sum(p == (180, 180, 250) for p in xwd_pixels(xwd, corners)) >= 56


class Window:
    """One line of wininfo's report: a top-level window or a child."""

    def __init__(self, line):
        kind, _, rest = line.partition(" ")
        rest, _, self.text = rest.partition(" text=")
        fields = dict(item.split("=", 1) for item in rest.split())
        self.kind = kind
        self.hwnd = int(fields["hwnd"])
        self.cls = fields["class"]
        self.style = int(fields["style"], 16)
        self.rect = tuple(int(v) for v in fields["rect"].split(","))
        self.visible = fields.get("visible") == "1"
        self.pid = int(fields.get("pid", "0"))  # the Windows process id
        self.exstyle = int(fields.get("exstyle", "0"), 16)
        self.client = tuple(int(v) for v in fields.get("client", "0,0").split(","))
        self.client_origin = tuple(int(v) for v in fields.get("client_origin", "0,0").split(","))
        self.children = []

    @property
    def width(self):
        return self.rect[2] - self.rect[0]

    @property
    def height(self):
        return self.rect[3] - self.rect[1]

    def __repr__(self):
        return f"<{self.kind} {self.cls} {self.rect} {self.text!r}>"


class Session(harness.Session):
    def __init__(self, name="case", screen=(1024, 768), monitors=None, arch=None):
        super().__init__(name, screen)
        self.layout = monitors
        self.arch = arch or wine_arch()
        self.loader = wine_loader(self.arch)

    # --- life cycle ---
    def work_dir(self):
        return work_dir() / "cases"

    def setup(self):
        self.prefix = self.dir / "prefix"
        _copy_prefix(base_prefix(self.arch), self.prefix)
        self.env = _wine_env(self.prefix, self.arch, DISPLAY=self.display,
                             QUILLMERE_BROWSER_LOG=str(self.dir / "browser.log"))
        for i, (x, y, w, h) in enumerate(self.layout or ()):  # the first on the one output
            self.set_monitor(f"M{i}", (x, y, x + w, y + h), "none" if i else "screen")
        if self.layout:  # Wine's RandR lists outputs (Xvfb has one), Xinerama monitors
            subprocess.run([self.loader, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v",
                            "UseXRandR", "/d", "N", "/f"], env=self.env, capture_output=True,
                           timeout=120, check=True)
            subprocess.run([wineserver(self.arch), "-k"], env=self.env, stderr=subprocess.DEVNULL)
            subprocess.run([wineserver(self.arch), "-w"], env=self.env, timeout=30)
        # Starts the prefix's server and services before anything is timed.
        self.wininfo("screen", attempts=1)

    def teardown(self):
        if not hasattr(self, "prefix"):
            return
        # Ends this prefix's own server and whatever still runs in it.
        env = _wine_env(self.prefix, self.arch)
        subprocess.run([wineserver(self.arch), "-k"], env=env, stderr=subprocess.DEVNULL)
        subprocess.run([wineserver(self.arch), "-w"], env=env, timeout=30,
                       stderr=subprocess.DEVNULL)
        shutil.rmtree(self.prefix, ignore_errors=True)

    # --- processes ---
    def start(self, args, exe=None, desktop=None, **popen):
        """Starts quillmere.scr (or exe) with args under Wine, in the Wine
        desktop `desktop` ("Name,WxH") if given; returns a Popen."""
        if desktop:
            return self.start([f"/desktop={desktop}", windows_path(exe or scr_path()), *args],
                              exe="explorer", **popen)
        return super().start([self.loader, exe or scr_path(), *args], **popen)

    def start_host(self, name, args, **popen):
        return self.start([str(a) for a in args], exe=host_path(name), **popen)

    def open_desktop(self, desktop):
        """Makes the Wine desktop `desktop` ("Name,WxH") and waits for its
        window, as Windows has a desktop ready before it starts a saver there."""
        self.start([f"/desktop={desktop}"], exe="explorer")
        name = desktop.split(",")[0]
        if not harness.wait_for(lambda: self._x("xdotool", "search", "--name",
                                                f"^{name} - Wine desktop$", check=False)
                                .returncode == 0, 30):
            raise TimeoutError(f"no desktop {name!r} after 30 s")

    def first_tile_frames(self, proc, timeout=60, areas=None):
        """(seconds since proc started, xwd dump) of the first screenshot
        that shows the intro's frames, on the whole screen or on each of
        `areas` (left, top, width, height: each monitor's). (In an open Wine
        desktop, proc is a launcher that ends at once.)"""
        areas = areas or [(0, 0, *self.screen)]
        while time.monotonic() < proc.started + timeout:
            before = time.monotonic()
            shot = self._x("xwd", "-root", "-silent", "-display", self.display, check=False)
            # xwd now and then fails while a window comes or goes: the next shot.
            if shot.returncode == 0 and all(shows_tile_frames(shot.stdout, w, h, x, y)
                                            for x, y, w, h in areas):
                return (before + time.monotonic()) / 2 - proc.started, shot.stdout
        raise TimeoutError(f"no tile frames within {timeout} s")

    def board_pids(self):
        """The Linux pids of the prefix's processes started with the board's
        switch, which the saver starts for its other monitors."""
        def board(entry):
            try:
                return b"/board:" in (entry / "cmdline").read_bytes() and harness.alive(int(entry.name)) \
                    and f"WINEPREFIX={self.prefix}".encode() in (entry / "environ").read_bytes().split(b"\0")
            except OSError:
                return False
        return [int(e.name) for e in Path("/proc").iterdir() if e.name.isdigit() and board(e)]

    def paused(self, pid):
        """Stops the saver and its boards too, which are not its descendants
        (Wine's processes are no one's children), while the block runs."""
        return super().paused(pid, self.board_pids())

    def reg_add(self, key, name, data):
        """A string value in the prefix's registry."""
        self._patiently([self.loader, "reg", "add", key, "/v", name, "/d", str(data), "/f"],
                        attempts=4, timeout=15)

    def _patiently(self, command, attempts, timeout):
        """command's output. Now and then a program started while another of
        the prefix is still starting up never gets going; a fresh one does."""
        for attempt in range(attempts):
            try:
                return subprocess.run(command, env=self.env, capture_output=True, text=True,
                                      timeout=timeout if attempt + 1 < attempts else 30).stdout
            except subprocess.TimeoutExpired:
                continue
        raise TimeoutError(f"{command[1:]} does not answer")

    # --- Win32's view, through the wininfo helper ---
    def wininfo(self, *args, attempts=5, desktop=None):
        """wininfo's answer; with `desktop` ("Name,WxH"), run in that Wine
        desktop, whose windows no program outside it sees."""
        command = [self.loader, str(host_path("wininfo"))]
        if desktop:
            command[1:] = ["explorer", f"/desktop={desktop}", windows_path(host_path("wininfo"))]
        return self._patiently([*command, *map(str, args)], attempts, timeout=3)

    def windows(self, title, desktop=None):
        found = []
        for line in self.wininfo("windows", title, desktop=desktop).splitlines():
            if line.startswith("window "):
                found.append(Window(line))
            elif line.startswith("child ") and found:
                found[-1].children.append(Window(line))
        return found

    def wait_window(self, title, timeout=15, predicate=lambda w: w.visible, desktop=None):
        deadline = time.monotonic() + timeout
        while True:
            matches = [w for w in self.windows(title, desktop) if predicate(w)]
            if matches:
                return matches[0]
            if time.monotonic() > deadline:
                raise TimeoutError(f"no window titled {title!r} after {timeout} s")
            time.sleep(0.1)

    def find_window(self, title):
        """The first window with that title now, or None."""
        found = self.windows(title)
        return found[0] if found else None

    def cursor(self):
        """The handle of the cursor now shown: only good for comparing."""
        return int(self.wininfo("cursor").split()[1])

    def cursor_shown(self):
        return self.wininfo("cursor").split()[2] == "shown"

    def close_window(self, title):
        self.wininfo("close", title)

    def semaphore_present(self, name):
        return self.wininfo("semaphore", name).strip() == "present"

    def text_extent(self, face, pixels, weight, pitch, text):
        """(cx, cy, chosen face) of text in the font that request gives."""
        line = self.wininfo("extent", face, pixels, weight, pitch, text).strip()
        sizes, _, chosen = line.partition(" face=")
        words = sizes.split()
        return int(words[1]), int(words[2]), chosen

    def browser_log(self):
        path = self.dir / "browser.log"
        return path.read_text().splitlines() if path.exists() else []

    # --- the X side ---
    def _x(self, *args, check=True):
        return subprocess.run(list(args), env=self.env, check=check, capture_output=True,
                              timeout=60)

    def screenshot(self):
        xwd = self._x("xwd", "-root", "-silent", "-display", self.display).stdout
        blob = subprocess.run(["convert", "xwd:-", "-depth", "8", "ppm:-"], input=xwd,
                              capture_output=True, check=True).stdout
        return Image.from_ppm(blob)

    def shot(self, where=None, name=None):
        """A PNG of the screen, or of its area `where` (left, top, width,
        height), for the comparisons with the renderer's frames."""
        self._shots = getattr(self, "_shots", 0) + 1
        path = self.artifact(name or f"shot-{self._shots}.png")
        xwd = self._x("xwd", "-root", "-silent", "-display", self.display).stdout
        crop = ["-crop", "%dx%d+%d+%d" % (*where[2:], *where[:2]), "+repage"] if where else []
        subprocess.run(["convert", "xwd:-", *crop, str(path)], input=xwd, check=True)
        return path

    def set_root_picture(self, path):
        # display may report failure even when the picture is set.
        self._x("display", "-window", "root", str(path), check=False)

    def move_mouse(self, x, y):
        self._x("xdotool", "mousemove", str(x), str(y))

    def click(self, x=None, y=None, button=1):
        if x is not None:
            self.move_mouse(x, y)
        self._x("xdotool", "click", str(button))

    def hold_button(self, button):
        harness.hold_button(self.env, button)

    def key(self, name):
        self._x("xdotool", "key", name)


if __name__ == "__main__":
    if sys.argv[1:2] == ["init"] and len(sys.argv) == 2:
        print(f"Wine suite: {wine_arch()} prefixes, {wine_loader()}, {scr_path()}")
        print(base_prefix())
    elif sys.argv[1:2] == ["init"] and sys.argv[2:] in (["win32"], ["win64"]):
        print(base_prefix(sys.argv[2]))
    else:
        sys.exit("usage: wine_harness.py init [win32|win64]")
