#!/usr/bin/python3
"""The .deb in dist/: lintian finds no error and no warning; its copyright
file carries every licence notice in the tree; its desktop file names the
installed Wayland saver for KWin's screenshots; installed into this machine
with apt-get: its files, the hack drawing on a private Xvfb, `man
quillmere`; a purge leaves nothing."""

import fcntl
import io
import os
import re
import subprocess
import sys
import tarfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from test_hack import shot_tick, sleep_until  # noqa: E402
from x11_harness import Session, run_cases  # noqa: E402

ROOT = Path(__file__).resolve().parents[2]
FILES = {"/usr/libexec/xscreensaver/quillmere", "/usr/share/xscreensaver/config/quillmere.xml",
         "/usr/share/man/man6/quillmere.6.gz", "/usr/share/doc/quillmere/copyright",
         "/usr/share/doc/quillmere/changelog.gz", "/usr/bin/quillmere-wayland",
         "/usr/share/man/man6/quillmere-wayland.6.gz",
         "/usr/share/applications/quillmere-wayland.desktop"}


def run(*args, **env):
    return subprocess.run(args, capture_output=True, text=True, timeout=600,
                          env=dict(os.environ, **env))


def apt_get(*args):
    # Takes turns with scripts/install-deps.sh.
    with open("/var/lock/quillmere-apt.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        return run("apt-get", "-y", "-q", "-o", "DPkg::Lock::Timeout=600", *args,
                   DEBIAN_FRONTEND="noninteractive")


def deb_path():
    arch = run("dpkg", "--print-architecture").stdout.strip()
    return Path(os.environ["QUILLMERE_DIST"],
                f"quillmere_{os.environ['QUILLMERE_VERSION']}_{arch}.deb")


def words(text):
    """Text as its words, whatever its indent, wrapping and blank lines."""
    return " ".join(w for w in text.split() if w != ".")


def packed_text(deb, path):
    tree = subprocess.run(["dpkg-deb", "--fsys-tarfile", str(deb)], capture_output=True,
                          check=True).stdout
    with tarfile.open(fileobj=io.BytesIO(tree)) as tar:
        return tar.extractfile("." + path).read().decode()


def copyright_paragraphs(deb):
    text = packed_text(deb, "/usr/share/doc/quillmere/copyright")
    paragraphs = []
    for block in text.strip().split("\n\n"):
        fields = dict(re.findall(r"^([\w-]+):[ \t]*(.*(?:\n[ \t].*)*)", block, re.M))
        paragraphs.append(fields)
    return paragraphs


def notices():
    """(path, holders, permission text) of every file in the tree with a
    notice of its own (the protocol files), and ours for the rest."""
    found = [("*", ["2026 the Quillmere authors"], (ROOT / "LICENSE").read_text().split("\n\n", 2)[2])]
    tracked = run("git", "-C", str(ROOT), "ls-files", "*.xml").stdout.split()
    for path in tracked:
        block = re.search(r"<copyright>(.*?)</copyright>", (ROOT / path).read_text(), re.S)
        if block:
            holders = re.findall(r"Copyright © (.+)", block[1])
            found.append((path, holders, re.split(r"Copyright © .+\n", block[1])[-1]))
    return found


def case_lintian():
    result = run("lintian", "--fail-on", "error,warning", str(deb_path()))
    assert result.returncode == 0, result.stdout + result.stderr


def case_copyright_names_every_notice():
    paragraphs = copyright_paragraphs(deb_path())
    assert paragraphs[0].get("Format", "").startswith(
        "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0"), paragraphs[0]
    licences = {p["License"].split("\n")[0]: p["License"] for p in paragraphs
                if "License" in p and "Files" not in p}
    for path, holders, permission in notices():
        files = [p for p in paragraphs if path in p.get("Files", "").split()]
        assert len(files) == 1, f"{path}: {len(files)} Files paragraphs"
        named = files[0]
        assert all(h in named["Copyright"] for h in holders), f"{path}: {named['Copyright']}"
        name, _, text = named["License"].partition("\n")
        text = text or licences.get(name, "").partition("\n")[2]
        assert words(text) == words(permission), f"{path}: not its notice under {name}"


def case_desktop_file_lets_kwin_grant_the_installed_saver_screenshots():
    lines = packed_text(deb_path(), "/usr/share/applications/quillmere-wayland.desktop").splitlines()
    for line in ("[Desktop Entry]", "Exec=/usr/bin/quillmere-wayland", "NoDisplay=true",
                 "X-KDE-DBUS-Restricted-Interfaces=org.kde.KWin.ScreenShot2"):
        assert line in lines, f"no {line!r} in {lines}"


def installed():
    return run("dpkg-query", "-W", "-f=${Status}", "quillmere").stdout == "install ok installed"


def case_install_and_remove():
    deb = deb_path()
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
