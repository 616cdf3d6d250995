#!/usr/bin/env bash
# Starts a koralith-server on a free loopback port with a fresh database, runs koralith-load
# against it, and stops the server. Arguments go to koralith-load. The bots' server hashes at the
# low test cost; the hashing run's (--hashing) at the real cost, which is what it measures.
# --floor runs the same bots against koralith-floor-relay instead: the floor of the server's CPU
# time per move. The relay under load runs with the allocation counter preloaded, so that the
# load tool also tells its allocations per move.
#   bench/load/run-load.sh [BUILD_DIR] [--floor] [--bots N] [--seconds S] [--think-ms T]
#   bench/load/run-load.sh [BUILD_DIR] --hashing [--seconds S]
# KORALITH_SERVER=PATH runs another build of the server (an earlier one, to compare).
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then build=$1; shift; fi
dir=$(mktemp -d)
relay=("${KORALITH_SERVER:-$build/bin/koralith-server}" --listen 127.0.0.1:0 --db "$dir/load.db")
cost=(--hash-cost min)
args=()
for arg in "$@"; do
    case $arg in
    --floor) relay=("$build/bin/koralith-floor-relay" --listen 127.0.0.1:0) cost=() ;;
    --hashing) cost=() args+=("$arg") ;;
    *) args+=("$arg") ;;
    esac
done
ulimit -n "$(ulimit -Hn)"
counter=$(realpath "$build/bin/koralith-malloc-count.so")
KORALITH_MALLOC_COUNT=$dir/mallocs LD_PRELOAD=$counter "${relay[@]}" "${cost[@]}" \
    2> "$dir/server.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"' EXIT
port=
for _ in $(seq 100); do
    # The log may not be there yet: the server's shell opens it.
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$dir/server.log" \
        2>/dev/null || true)
    [ -n "$port" ] && break
    sleep 0.05
done
[ -n "$port" ] || { cat "$dir/server.log" >&2; exit 1; }
status=0
"$build/bin/koralith-load" --port "$port" --server-pid "$server" --malloc-count "$dir/mallocs" \
    "${args[@]}" || status=$?
echo "server log: $(wc -l < "$dir/server.log") lines, $(grep -c 'error' "$dir/server.log" || true) errors"
exit $status
