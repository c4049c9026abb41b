#!/usr/bin/python3
"""What quillmere.scr carries: the name for the host's screensaver list, the
preview and logo picture, the icon, the manifest and the version block."""
import re

from wine_harness import Session, run_cases, scr_path, windows_path


def case_resources():
    with Session("resources") as s:
        report = s.wininfo("resources", windows_path(scr_path())).splitlines()
    print("\n".join(report))
    assert "string 1 Quillmere Screensaver 1.0" in report
    assert "bitmap MINIBMP 152x112x24" in report
    assert "bitmap LOGO 152x112x24" in report
    icons = [line.split()[2:] for line in report if line.startswith("icon ")]
    assert icons and {size.rsplit("x", 1)[0] for size in icons[0]} >= {"32x32", "16x16"}, icons
    assert any(line.startswith("manifest 1 ") for line in report)
    assert "version 1" in report


def case_manifest_dpi_awareness():
    # windres stores the manifest verbatim, so the text is in the file.
    blob = scr_path().read_bytes()
    assert re.search(rb"<dpiAwareness[^>]*>\s*PerMonitorV2", blob)
    assert re.search(rb"<dpiAware[^>]*>\s*true/pm\s*<", blob)


if __name__ == "__main__":
    run_cases(globals())
