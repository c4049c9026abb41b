#!/usr/bin/python3
"""The .deb in dist/ installed into this machine with apt-get: its files, the
hack drawing on a private Xvfb, `man quillmere`; a purge leaves nothing."""

import fcntl
import os
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from test_hack import shot_tick, sleep_until  # noqa: E402
from x11_harness import Session, run_cases  # noqa: E402

FILES = {"/usr/libexec/xscreensaver/quillmere", "/usr/share/xscreensaver/config/quillmere.xml",
         "/usr/share/man/man6/quillmere.6.gz", "/usr/bin/quillmere-wayland",
         "/usr/share/man/man6/quillmere-wayland.6.gz"}


def run(*args, **env):
    return subprocess.run(args, capture_output=True, text=True, timeout=600,
                          env=dict(os.environ, **env))


def apt_get(*args):
    # Takes turns with scripts/install-deps.sh.
    with open("/var/lock/quillmere-apt.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        return run("apt-get", "-y", "-q", "-o", "DPkg::Lock::Timeout=600", *args,
                   DEBIAN_FRONTEND="noninteractive")


def installed():
    return run("dpkg-query", "-W", "-f=${Status}", "quillmere").stdout == "install ok installed"


def case_install_and_remove():
    arch = run("dpkg", "--print-architecture").stdout.strip()
    deb = Path(os.environ["QUILLMERE_DIST"], f"quillmere_{os.environ['QUILLMERE_VERSION']}_{arch}.deb")
    listing = run("dpkg-deb", "-c", str(deb)).stdout.splitlines()
    files = {line.split()[-1][1:] for line in listing if not line.startswith("d")}
    assert files == FILES, f"{deb} holds {sorted(files)}"
    depends = run("dpkg-deb", "-f", str(deb), "Depends").stdout
    assert "libc6" in depends and "libx11-6" in depends, f"Depends: {depends}"
    assert not installed(), "quillmere is installed already: apt-get purge quillmere"
    try:
        result = apt_get("install", "--no-install-recommends", str(deb))
        assert result.returncode == 0 and installed(), result.stdout + result.stderr
        os.environ["QUILLMERE_HACK"] = "/usr/libexec/xscreensaver/quillmere"
        with Session("deb") as s:
            desktop = s.sample_desktop()
            s.set_root(desktop)
            frames = s.render(desktop, 3, 200)
            hack = s.start_hack(["--root"], seed=3)
            sleep_until(hack, 2.5)
            assert shot_tick(s, frames, hack) > 100, "still in the intro"
        page = run("man", "quillmere", MANPAGER="cat", MANWIDTH="80")
        for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "ENVIRONMENT", "EXAMPLES"):
            assert f"\n{section}\n" in page.stdout, f"man quillmere: no {section}; {page.stderr}"
    finally:
        result = apt_get("purge", "quillmere")
    assert result.returncode == 0 and not installed(), result.stdout + result.stderr
    left = [p for p in FILES if Path(p).exists()] + list(Path("/var/lib/dpkg/info").glob("quillmere.*"))
    assert not left, f"left behind: {left}"


if __name__ == "__main__":
    run_cases(globals())
