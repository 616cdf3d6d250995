#!/usr/bin/env bash
# make bench: every benchmark program the build has, one after the other.
set -euo pipefail
build=${1:-build}
for b in "$build"/bin/koralith-bench-*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b"
done
