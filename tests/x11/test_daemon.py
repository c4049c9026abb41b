#!/usr/bin/python3
"""The hack under the real screensaver daemon (Debian's xscreensaver), run as
an unprivileged user (the daemon launches no hack as root) with a private
HOME whose settings list only `quillmere --root`: activating starts the hack
on the daemon's window, which shows the board of the desktop the daemon
photographed, frame for frame the renderer's; deactivating ends it. The
daemon's settings program previews the same programs line in its pane."""

import contextlib
import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from x11_harness import Session, binary, run_cases, wait_for  # noqa: E402
from harness import descendants  # noqa: E402

USER = "quillmere-test"  # made by test.sh
SEED = 7
SETTINGS = """\
mode:\t\tone
selected:\t0
timeout:\t1:00:00
cycle:\t\t0:00:00
lock:\t\tFalse
fade:\t\tFalse
unfade:\t\tFalse
splash:\t\tFalse
dpmsEnabled:\tFalse
programs:\tquillmere --root \\n
"""


def command_line(pid):
    try:
        return Path(f"/proc/{pid}/cmdline").read_bytes().split(b"\0")[:-1]
    except FileNotFoundError:
        return []


@contextlib.contextmanager
def as_the_test_user(name, screen=(512, 384)):
    """A session, and the command that runs a program on it as USER, with a
    private HOME whose settings list only `quillmere --root` and a PATH that
    finds the hack there. What the user's programs start is ended on exit."""
    try:
        user = pwd.getpwnam(USER)
    except KeyError:
        sys.exit(f"no user {USER}: test.sh creates it (useradd)")
    # Somewhere the unprivileged user can reach whatever the checkout's modes.
    private = Path(tempfile.mkdtemp(prefix="quillmere-daemon-"))
    try:
        os.chmod(private, 0o755)
        home, bin_dir = private / "home", private / "bin"
        home.mkdir()
        bin_dir.mkdir()
        shutil.copy2(binary("HACK"), bin_dir / "quillmere")
        (home / ".xscreensaver").write_text(SETTINGS)
        os.chown(home, user.pw_uid, user.pw_gid)
        os.chown(home / ".xscreensaver", user.pw_uid, user.pw_gid)
        with Session(name, screen) as s:
            env = {"HOME": str(home), "PATH": f"{bin_dir}:/usr/bin:/bin", "DISPLAY": s.display,
                   "QUILLMERE_SEED": str(SEED)}
            try:
                yield s, ["runuser", "-u", USER, "--", "env", "-i",
                          *[f"{k}={v}" for k, v in env.items()]]
            finally:
                # The user's own processes, by PID, while they are still theirs.
                for pid in [p for proc in s.procs for p in reversed(descendants(proc.pid))]:
                    try:
                        os.kill(pid, 9)
                    except ProcessLookupError:
                        pass
    finally:
        shutil.rmtree(private, ignore_errors=True)


def case_activate_shows_the_board_and_deactivate_ends_it():
    with as_the_test_user("daemon") as (s, as_user):
        desktop = s.sample_desktop()
        s.set_root(desktop)
        frames = s.render(desktop, SEED, 300)
        daemon = s.start([*as_user, "xscreensaver", "-no-splash"], env=dict(os.environ))
        under_the_daemon(s, frames, daemon, as_user)


def case_settings_preview_shows_the_board():
    """xscreensaver-settings runs the selected programs line, `quillmere
    --root`, with --window-id added for its preview pane: the hack takes the
    pane, and after the intro every cell there but the hole and the few
    that the lifted mover overlaps shows a whole lavender frame."""
    with as_the_test_user("settings", (1024, 768)) as (s, as_user):  # room for the settings
        s.set_root(s.sample_desktop())
        s.start([*as_user, "xscreensaver", "-no-splash"], env=dict(os.environ))  # as a user runs it
        settings = s.start([*as_user, "xscreensaver-settings"], env=dict(os.environ))

        def previews():
            return [(p, command_line(p)) for p in descendants(settings.pid)
                    if command_line(p)[:1] == [b"quillmere"]]

        found = wait_for(previews, 20)
        assert found, "the settings started no quillmere"
        hack, args = found[0]
        assert args[1:3] == [b"--root", b"--window-id"], args
        time.sleep(3.0)  # past the intro
        with s.paused(hack):
            framed = int(s.probe("framed", args[3].decode()).stdout)
        assert framed >= 58, f"only {framed} cells of the preview pane show a whole frame"


def under_the_daemon(s, frames, daemon, as_user):
    def command(*args):
        return subprocess.run([*as_user, "xscreensaver-command", *args],
                              capture_output=True, text=True, timeout=20)

    def hacks():
        return [p for p in descendants(daemon.pid) if command_line(p) == [b"quillmere", b"--root"]]

    def gone(pid):
        try:
            return Path(f"/proc/{pid}/stat").read_text().rsplit(") ", 1)[1][0] == "Z"
        except FileNotFoundError:
            return True

    assert wait_for(lambda: command("-time").returncode == 0, 15), "the daemon never answered"
    assert not hacks()
    assert command("-activate").returncode == 0
    started = time.monotonic()
    running = wait_for(hacks, 10)
    assert running, "activating started no quillmere --root"
    hack = running[0]
    environ = Path(f"/proc/{hack}/environ").read_bytes().split(b"\0")
    assert any(v.startswith(b"XSCREENSAVER_WINDOW=") for v in environ)
    time.sleep(3.0)  # into the shuffle, unless the machine is slow
    for attempt in range(10):
        shot = s.shot()
        last = int((time.monotonic() - started) / 0.020) + 1
        with s.paused(hack):
            tick = s.match(shot, frames, 1, last)
        assert tick is not None, f"{shot} is no frame of the daemon's desktop (ticks 1..{last})"
        if tick > 100:
            break
        time.sleep(0.5)
    assert tick > 100, f"still in the intro at tick {tick}"
    print(f"under the daemon the screen equals the renderer's tick {tick}")

    assert command("-deactivate").returncode == 0
    assert wait_for(lambda: gone(hack), 5), "the hack still runs after deactivating"
    command("-exit")
    wait_for(lambda: daemon.poll() is not None, 5)


if __name__ == "__main__":
    run_cases(globals())
