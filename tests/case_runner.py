"""The command line of the end-to-end test scripts: `script.py NAME` runs
case_NAME(); `script.py --list` prints the names."""

import sys


def run_cases(namespace):
    names = sorted(n[5:] for n in namespace if n.startswith("case_"))
    if len(sys.argv) != 2:
        sys.exit(f"usage: {sys.argv[0]} --list | CASE")
    if sys.argv[1] == "--list":
        print("\n".join(names))
        return
    if sys.argv[1] not in names:
        sys.exit(f"unknown case {sys.argv[1]!r}; cases: {', '.join(names)}")
    namespace["case_" + sys.argv[1]]()
    print(f"{sys.argv[1]}: passed")
