#!/usr/bin/python3
"""Makes the packages once more, from a copy of this tree in another folder,
and compares them byte for byte with those scripts/package.sh left in dist/.
Prints a line per package and exits 1 if any differs. The second build makes
only what ships (about half a minute on two cores); a failed comparison keeps
its folder for a look."""

import os
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]


def git(*args):
    return subprocess.run(["git", "-C", str(ROOT), *args], capture_output=True, check=True,
                          text=True).stdout


def copy_tree(target):
    """The files package.sh sees: tracked or new, none that git ignores."""
    for name in git("ls-files", "-z", "--cached", "--others", "--exclude-standard").split("\0"):
        source = ROOT / name
        if name and source.is_file():
            (target / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(source, target / name)


def main():
    packages = sorted((ROOT / "dist").glob("quillmere[-_]*"))
    if not packages:
        sys.exit("no packages in dist/: run scripts/package.sh first")
    epoch = os.environ.get("SOURCE_DATE_EPOCH") or git("log", "-1", "--format=%ct").strip()
    scratch = Path(tempfile.mkdtemp(prefix="quillmere-again-"))
    copy = scratch / "elsewhere" / "quillmere"
    copy_tree(copy)
    build = subprocess.run([str(copy / "scripts" / "package.sh")], capture_output=True, text=True,
                           env=dict(os.environ, SOURCE_DATE_EPOCH=epoch))
    if build.returncode != 0:
        sys.exit(f"package.sh failed in {copy}:\n{build.stdout[-2000:]}{build.stderr[-2000:]}")
    differ = []
    for package in packages:
        again = copy / "dist" / package.name
        same = again.exists() and again.read_bytes() == package.read_bytes()
        print(f"{package.name}: {'the same bytes' if same else 'DIFFERS'}")
        differ += [] if same else [package.name]
    if differ:
        sys.exit(f"not reproducible: {', '.join(differ)} (the second build is in {copy}; "
                 "dist/ must come from this tree as it is)")
    shutil.rmtree(scratch)


if __name__ == "__main__":
    main()
