#!/usr/bin/python3
"""quillmere.scr /s under Wine for ten minutes (or SECONDS) at 1024 x 768:
resident set and GDI objects at the start and the end must stay flat.

    QUILLMERE_WIN_BUILD=build/win [QUILLMERE_WIN64_BUILD=build/win64] scripts/soak.py [SECONDS]

Not run by test.sh, which runs the one-minute version (label soak)."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "win32" / "wine"))
from test_soak import soak  # noqa: E402

if __name__ == "__main__":
    soak(float(sys.argv[1]) if len(sys.argv) > 1 else 600.0)
