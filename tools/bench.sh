#!/usr/bin/env bash
# make bench: every benchmark program the build has, the real game's start, idle CPU and memory,
# then the server load tool (5,000 bots for 30 s on loopback, beside a bare TCP echo measured in
# the same run), the same bots against the floor relay (koralith-floor-relay: the protocol's
# framing and move relay, nothing else) and the load tool's hashing run (logins at the real hash
# cost, alone, 16 at once and under a registration flood from other addresses), the web face
# under wrk on a generated database of 100,000 players and 1,000,000 games, and the server's
# bots again while the web face serves from the server's own database. Ends with one
# Markdown table of the figures, also saved to BUILD/bench-summary.md (tools/bench-summary.py
# reads them from the programs' own output, kept in BUILD/bench-out/).
#   LOAD_BOTS=500 LOAD_SECONDS=5 make bench   a short load run
set -euo pipefail
build=${1:-build}
out=$build/bench-out
rm -rf "$out"
mkdir -p "$out"
failed=()

# run PART COMMAND...: shows the part's output and keeps it for the summary. A failed part is
# told at the end, so that one broken program does not hide the others' figures.
run() {
    local part=$1 shown=() arg
    shift
    for arg in "$@"; do
        case $arg in --benchmark_out*) ;; *) shown+=("$arg") ;; esac
    done
    echo "== $part"
    printf '%s\t%s\n' "$part" "${shown[*]}" >> "$out/commands.tsv"
    "$@" | tee "$out/$part.txt" || failed+=("$part")
}

for b in "$build"/bin/koralith-bench-*; do
    [ -x "$b" ] || continue
    name=$(basename "$b")
    run "$name" "$b" --benchmark_out="$out/$name.json" --benchmark_out_format=json
done
if [ -x "$build/bin/koralith" ]; then
    run game-figures bash bench/scenes/game-figures.sh "$build"
fi
if [ -x "$build/bin/koralith-load" ]; then
    run load bash bench/load/run-load.sh "$build" --bots "${LOAD_BOTS:-5000}" \
        --seconds "${LOAD_SECONDS:-30}"
    run load-floor bash bench/load/run-load.sh "$build" --floor --bots "${LOAD_BOTS:-5000}" \
        --seconds "${LOAD_SECONDS:-30}"
    run load-hashing bash bench/load/run-load.sh "$build" --hashing --seconds 10
fi
if [ -x "$build/bin/koralith-web" ]; then
    run web bash bench/web/run-web.sh "$build"
    run load-web bash bench/load/run-load.sh "$build" --with-web --bots "${LOAD_BOTS:-5000}" \
        --seconds "${LOAD_SECONDS:-30}"
fi

echo
status=0
python3 tools/bench-summary.py "$out" | tee "$build/bench-summary.md" || status=1
echo
echo "(saved to $build/bench-summary.md)"
if [ ${#failed[@]} -gt 0 ]; then
    echo "make bench: failed: ${failed[*]}" >&2
    status=1
fi
exit $status
