#!/usr/bin/python3
"""The setup program in dist/, silently, in a 32-bit prefix and in a 64-bit
one (where a 32-bit setup lands in SysWOW64 and under Wow6432Node): installed,
chosen, registered; installed again over a saver running from the installed
file; uninstalled without a trace but a saver chosen since, the idle lock's
switch left alone. And the setup program ships the zip's very quillmere.scr."""

import functools
import os
import re
import shutil
import subprocess
import tempfile
import zipfile
from pathlib import Path

from wine_harness import Session, run_cases, shipped_scr_path
from harness import wait_for  # noqa: E402  (on the path wine_harness sets)
from test_preview import HOST_BACKGROUND, Host

TITLE = "Quillmere Screensaver 1.0"
DESKTOP = r"HKCU\Control Panel\Desktop"
UNINSTALL = r"Microsoft\Windows\CurrentVersion\Uninstall\QuillmereScreensaver"
VERSION = os.environ.get("QUILLMERE_VERSION", "")
# Where a 32-bit setup program's files and uninstall entry land, by prefix.
SYSTEM_FOLDER = {"win32": "system32", "win64": "syswow64"}
SOFTWARE = {"win32": r"HKLM\Software", "win64": r"HKLM\Software\Wow6432Node"}


def dist(name):
    return Path(os.environ["QUILLMERE_DIST"], name)


def wine(s, *args):
    return subprocess.run([s.loader, *args], env=s.env, capture_output=True, text=True)


def registry(s, key):
    """The key's values as {name: data}, or None when there is no such key."""
    result = wine(s, "reg", "query", key)
    found = (re.match(r"    (.+?)    REG_\w+(?:    (.*))?$", line)
             for line in result.stdout.splitlines())
    return {m[1]: m[2] or "" for m in found if m} if result.returncode == 0 else None


def uninstall_entry(s):
    return registry(s, SOFTWARE[s.arch] + "\\" + UNINSTALL)


def unix_path(s, path):
    return Path(wine(s, "winepath", "-u", path.strip('"')).stdout.strip()).resolve()


def install(s):
    setup = dist(f"quillmere-{VERSION}-setup.exe")
    assert s.wait_exit(s.start(["/S"], exe=setup), timeout=60) == 0, f"{setup} failed"
    installed = s.prefix / "drive_c" / "windows" / SYSTEM_FOLDER[s.arch] / "quillmere.scr"
    assert installed.exists(), f"not in {SYSTEM_FOLDER[s.arch]}"
    assert installed.read_bytes() == shipped_scr_path().read_bytes(), "not the shipped file"
    return installed.resolve()


def uninstall(s, installed):
    # The uninstaller relaunches itself from %TEMP% and returns at once.
    command = uninstall_entry(s)["UninstallString"]
    uninstaller = unix_path(s, command)
    s.start(["/S"], exe=command.strip('"'))
    assert wait_for(lambda: not (installed.exists() or uninstaller.parent.exists() or
                                 uninstall_entry(s) is not None), 30, step=0.2), \
        "the uninstaller left files or its entry"
    left = sorted(p.name for p in installed.parent.glob("quillmere*"))
    assert not left, f"left in the system folder: {left}"


def install_and_uninstall(arch):
    with Session(f"package-{arch}", arch=arch) as s:
        installed = install(s)
        desktop, entry = registry(s, DESKTOP), uninstall_entry(s)
        chosen = desktop.get("SCRNSAVE.EXE", "")
        assert unix_path(s, chosen) == installed, f"SCRNSAVE.EXE is {chosen!r}"
        # A process of the prefix's own width (as Windows reads the choice) finds it.
        found = wine(s, "cmd", "/c", f"if exist {chosen} (echo found)").stdout
        assert "found" in found, f"{chosen} is not there for a {arch} process"
        assert desktop.get("ScreenSaveActive") == "1"
        assert entry and "Quillmere Screensaver" in entry.get("DisplayName", ""), entry
        assert entry.get("DisplayVersion") == VERSION and entry.get("Publisher") == "Quillmere"
        assert unix_path(s, entry["DisplayIcon"]) == installed

        # Started as Windows starts the chosen saver.
        saver = s.start(["/s"], exe=chosen)
        s.wait_window(TITLE)
        s.close_window(TITLE)
        s.wait_exit(saver, timeout=10)

        uninstall(s, installed)
        desktop = registry(s, DESKTOP)
        assert "SCRNSAVE.EXE" not in desktop, "our saver is still the chosen one"
        # Windows locks an idle PC only while this is on.
        assert desktop.get("ScreenSaveActive") == "1", "the uninstaller turned the idle lock off"


def uninstall_keeps_a_later_choice(arch):
    with Session(f"package-later-{arch}", arch=arch) as s:
        installed = install(s)
        other = rf"C:\windows\{SYSTEM_FOLDER[arch]}\other.scr"
        shutil.copy(installed, installed.with_name("other.scr"))
        wine(s, "reg", "add", DESKTOP, "/v", "SCRNSAVE.EXE", "/d", other, "/f")
        uninstall(s, installed)
        desktop = registry(s, DESKTOP)
        assert desktop.get("SCRNSAVE.EXE") == other, f"SCRNSAVE.EXE is {desktop!r}"
        assert desktop.get("ScreenSaveActive") == "1"


def reinstall_over_a_running_preview(arch):
    """The Screen Saver settings run the installed file as their preview
    while a newer setup runs: it ends with the setup's file in place."""
    with Session(f"package-again-{arch}", arch=arch) as s:
        installed = install(s)
        with installed.open("ab") as older:  # a PE runs with bytes appended
            older.write(b"an older build")
        host = Host(s, 0, 0, 152, 112)
        preview = s.start(["/p", str(host.handle)],
                          exe=rf"C:\windows\{SYSTEM_FOLDER[arch]}\quillmere.scr")
        host.tell("show", "shown")
        painted = lambda: HOST_BACKGROUND not in s.screenshot().crop(0, 0, 152, 112).colours()
        assert wait_for(painted, 10, step=0.2), "the preview never painted"
        install(s)
        assert s.is_running(preview), "the preview ended: the test proves nothing"
        chosen = registry(s, DESKTOP).get("SCRNSAVE.EXE", "")
        assert unix_path(s, chosen) == installed, f"SCRNSAVE.EXE is {chosen!r}"

        host.tell("destroy", "destroyed")
        s.wait_exit(preview, timeout=5)
        uninstall(s, installed)


def case_ships_the_zips_scr():
    with tempfile.TemporaryDirectory() as scratch:
        unpacked = Path(scratch)
        result = subprocess.run(["7z", "x", f"-o{unpacked}",
                                 str(dist(f"quillmere-{VERSION}-setup.exe"))],
                                capture_output=True, text=True)
        assert result.returncode == 0, result.stdout + result.stderr
        shipped = [p for p in unpacked.rglob("*") if p.name.lower() == "quillmere.scr"]
        assert len(shipped) == 1, f"the setup program holds {shipped}"
        with zipfile.ZipFile(dist(f"quillmere-{VERSION}-win32.zip")) as zipped:
            assert shipped[0].read_bytes() == zipped.read("quillmere.scr"), \
                "the setup program and the zip ship different files"


# The setup's cases in both prefixes: case_NAME_win32, case_NAME_win64.
for case in (install_and_uninstall, uninstall_keeps_a_later_choice,
             reinstall_over_a_running_preview):
    for arch in SYSTEM_FOLDER:
        globals()[f"case_{case.__name__}_{arch}"] = functools.partial(case, arch)


if __name__ == "__main__":
    run_cases(globals())
