#!/usr/bin/env python3
"""Fails if any CTest test of the given build directory has no TIMEOUT, so
that a hang fails fast instead of stalling the suite."""
import json
import subprocess
import sys

listing = subprocess.run(["ctest", "--test-dir", sys.argv[1], "--show-only=json-v1"],
                         check=True, capture_output=True, text=True).stdout
tests = json.loads(listing)["tests"]
missing = [t["name"] for t in tests
           if not any(p["name"] == "TIMEOUT" and float(p["value"]) > 0
                      for p in t.get("properties", []))]
for name in missing:
    print(f"no TIMEOUT: {name}")
print(f"{len(tests) - len(missing)} of {len(tests)} tests have a TIMEOUT")
sys.exit(1 if missing else 0)
