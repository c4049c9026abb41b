#!/usr/bin/python3
"""The .deb in dist/ (scripts/package.sh makes it), installed into this
machine with apt-get and removed again: it holds the hack, its settings file
and its manual page, the installed hack draws the board on a private Xvfb,
`man quillmere` shows the page, and a purge leaves nothing behind."""

import fcntl
import os
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from test_hack import shot_tick, sleep_until  # noqa: E402
from x11_harness import Session, run_cases  # noqa: E402

FILES = {"/usr/libexec/xscreensaver/quillmere", "/usr/share/xscreensaver/config/quillmere.xml",
         "/usr/share/man/man6/quillmere.6.gz"}


def apt_get(*args):
    # The lock that scripts/install-deps.sh takes, so as not to meet it in dpkg.
    with open("/var/lock/quillmere-apt.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        return subprocess.run(["apt-get", "-y", "-q", "-o", "DPkg::Lock::Timeout=600", *args],
                              env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"),
                              capture_output=True, text=True, timeout=600)


def installed():
    status = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "quillmere"],
                            capture_output=True, text=True).stdout
    return status == "install ok installed"


def case_install_and_remove():
    version = os.environ["QUILLMERE_VERSION"]
    arch = subprocess.run(["dpkg", "--print-architecture"], capture_output=True, text=True).stdout
    deb = Path(os.environ["QUILLMERE_DIST"]) / f"quillmere_{version}_{arch.strip()}.deb"
    assert deb.is_file(), f"no {deb}: scripts/package.sh makes it"
    listing = subprocess.run(["dpkg-deb", "-c", deb], capture_output=True, text=True, check=True)
    files = {line.split()[-1][1:] for line in listing.stdout.splitlines() if line[0] != "d"}
    assert files == FILES, f"the package holds {sorted(files)}"
    depends = subprocess.run(["dpkg-deb", "-f", deb, "Depends"], capture_output=True,
                             text=True).stdout
    assert "libx11-6" in depends and "libc6" in depends, f"Depends: {depends}"
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
            tick = shot_tick(s, frames, hack)
            assert tick > 100, f"still in the intro at tick {tick}"

        page = subprocess.run(["man", "quillmere"], capture_output=True, text=True,
                              env=dict(os.environ, MANPAGER="cat", MANWIDTH="80"))
        assert page.returncode == 0, page.stderr
        for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "ENVIRONMENT", "EXAMPLES"):
            assert f"\n{section}\n" in page.stdout, f"the manual page has no {section}"
    finally:
        result = apt_get("purge", "quillmere")
    assert result.returncode == 0 and not installed(), result.stdout + result.stderr
    left = [path for path in FILES if Path(path).exists()]
    left += [str(p) for p in Path("/var/lib/dpkg/info").glob("quillmere.*")]
    assert not left, f"left behind: {left}"


if __name__ == "__main__":
    run_cases(globals())
