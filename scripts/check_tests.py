#!/usr/bin/env python3
"""Fails if any CTest test of the given build directory has no TIMEOUT (a
hang must fail fast instead of stalling the suite) or no label (every suite
can be run alone with ctest -L)."""
import json
import subprocess
import sys

listing = subprocess.run(["ctest", "--test-dir", sys.argv[1], "--show-only=json-v1"],
                         check=True, capture_output=True, text=True).stdout
tests = json.loads(listing)["tests"]


def has(test, name, good):
    return any(p["name"] == name and good(p["value"]) for p in test.get("properties", []))


faults = [f"no TIMEOUT: {t['name']}" for t in tests
          if not has(t, "TIMEOUT", lambda v: float(v) > 0)]
faults += [f"no label: {t['name']}" for t in tests if not has(t, "LABELS", bool)]
print("\n".join(faults))
print(f"{len(tests)} tests, {len(faults)} without a TIMEOUT or a label")
sys.exit(1 if faults else 0)
