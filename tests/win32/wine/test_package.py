#!/usr/bin/python3
"""The setup program in dist/, silently in a 32-bit prefix: installed, chosen,
registered; uninstalled without a trace but a saver chosen since."""

import os
import re
import shutil
import subprocess
from pathlib import Path

from wine_harness import Session, run_cases, shipped_scr_path, wine_loader
from harness import wait_for  # noqa: E402  (on the path wine_harness sets)

TITLE = "Quillmere Screensaver 1.0"
DESKTOP = r"HKCU\Control Panel\Desktop"
UNINSTALL = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillmereScreensaver"
VERSION = os.environ.get("QUILLMERE_VERSION", "")


def wine(s, *args):
    return subprocess.run([wine_loader(), *args], env=s.env, capture_output=True, text=True)


def registry(s, key):
    """The key's values as {name: data}, or None when there is no such key."""
    result = wine(s, "reg", "query", key)
    found = (re.match(r"    (.+?)    REG_\w+(?:    (.*))?$", line)
             for line in result.stdout.splitlines())
    return {m[1]: m[2] or "" for m in found if m} if result.returncode == 0 else None


def unix_path(s, path):
    return Path(wine(s, "winepath", "-u", path.strip('"')).stdout.strip()).resolve()


def install(s):
    setup = Path(os.environ["QUILLMERE_DIST"], f"quillmere-{VERSION}-setup.exe")
    assert s.wait_exit(s.start(["/S"], exe=setup), timeout=60) == 0, f"{setup} failed"
    installed = s.prefix / "drive_c" / "windows" / "system32" / "quillmere.scr"
    assert installed.read_bytes() == shipped_scr_path().read_bytes(), "not in the system folder"
    return installed.resolve()


def uninstall(s, installed):
    # The uninstaller relaunches itself from %TEMP% and returns at once.
    command = registry(s, UNINSTALL)["UninstallString"]
    uninstaller = unix_path(s, command)
    s.start(["/S"], exe=command.strip('"'))
    assert wait_for(lambda: not (installed.exists() or uninstaller.parent.exists() or
                                 registry(s, UNINSTALL) is not None), 30, step=0.2), \
        "the uninstaller left files or its entry"


def case_install_and_uninstall():
    with Session("package") as s:
        installed = install(s)
        desktop, entry = registry(s, DESKTOP), registry(s, UNINSTALL)
        chosen = desktop.get("SCRNSAVE.EXE", "")
        assert unix_path(s, chosen) == installed, f"SCRNSAVE.EXE is {chosen!r}"
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
        assert "SCRNSAVE.EXE" not in registry(s, DESKTOP), "our saver is still the chosen one"


def case_uninstall_keeps_a_later_choice():
    with Session("package-later") as s:
        installed = install(s)
        other = r"C:\windows\system32\other.scr"
        shutil.copy(installed, installed.with_name("other.scr"))
        wine(s, "reg", "add", DESKTOP, "/v", "SCRNSAVE.EXE", "/d", other, "/f")
        uninstall(s, installed)
        desktop = registry(s, DESKTOP)
        assert desktop.get("SCRNSAVE.EXE") == other, f"SCRNSAVE.EXE is {desktop!r}"
        assert desktop.get("ScreenSaveActive") == "1"


if __name__ == "__main__":
    run_cases(globals())
