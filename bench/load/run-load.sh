#!/usr/bin/env bash
# Starts a koralith-server on a free loopback port with a fresh database, runs koralith-load
# against it, and stops the server. Arguments go to koralith-load. The bots' server hashes at the
# low test cost; the hashing run's (--hashing) at the real cost, which is what it measures.
#   bench/load/run-load.sh [BUILD_DIR] [--bots N] [--seconds S] [--think-ms T]
#   bench/load/run-load.sh [BUILD_DIR] --hashing [--seconds S]
# KORALITH_SERVER=PATH runs another build of the server (an earlier one, to compare).
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then build=$1; shift; fi
cost=(--hash-cost min)
for arg in "$@"; do [ "$arg" = --hashing ] && cost=(); done
dir=$(mktemp -d)
ulimit -n "$(ulimit -Hn)"
"${KORALITH_SERVER:-$build/bin/koralith-server}" --listen 127.0.0.1:0 --db "$dir/load.db" \
    "${cost[@]}" 2> "$dir/server.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"' EXIT
port=
for _ in $(seq 100); do
    # The log may not be there yet: the server's shell opens it.
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$dir/server.log" \
        2>/dev/null || true)
    [ -n "$port" ] && break
    sleep 0.05
done
[ -n "$port" ] || { cat "$dir/server.log" >&2; exit 1; }
status=0
"$build/bin/koralith-load" --port "$port" --server-pid "$server" "$@" || status=$?
echo "server log: $(wc -l < "$dir/server.log") lines, $(grep -c 'error' "$dir/server.log" || true) errors"
exit $status
