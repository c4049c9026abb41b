#!/usr/bin/python3
"""quillmere.scr stands alone: a 32-bit GUI executable whose import table
names system DLLs only, never the compiler's runtime DLLs; large-address-aware,
so that a very large screen's frames find room on 64-bit Windows."""
import subprocess

from wine_harness import run_cases, shipped_scr_path

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "advapi32.dll",
               "msvcrt.dll", "comctl32.dll", "ole32.dll"}


def case_import_table():
    dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", str(shipped_scr_path())],
                          capture_output=True, text=True, check=True).stdout
    dlls = {line.split(":", 1)[1].strip().lower()
            for line in dump.splitlines() if line.strip().startswith("DLL Name:")}
    print("imports:", ", ".join(sorted(dlls)))
    assert dlls, "no import table found"
    assert dlls <= SYSTEM_DLLS, dlls - SYSTEM_DLLS
    for runtime in ("libstdc++", "libgcc", "winpthread"):
        assert not any(runtime in dll for dll in dlls), runtime
    assert "file format pei-i386" in dump
    assert "(Windows GUI)" in dump
    assert "large address aware" in dump


if __name__ == "__main__":
    run_cases(globals())
