#!/usr/bin/env bash
# make bench: every benchmark program the build has, the real game's start, idle CPU and memory,
# then the server load tool (5,000 bots for 30 s on loopback, beside a bare TCP echo measured in
# the same run).
set -euo pipefail
build=${1:-build}
for b in "$build"/bin/koralith-bench-*; do
    [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b"
done
if [ -x "$build/bin/koralith" ]; then
    echo "== the game (bench/scenes/game-figures.sh)"
    bash bench/scenes/game-figures.sh "$build"
fi
if [ -x "$build/bin/koralith-load" ]; then
    echo "== koralith-load"
    bash bench/load/run-load.sh "$build" --bots "${LOAD_BOTS:-5000}" --seconds "${LOAD_SECONDS:-30}"
fi
