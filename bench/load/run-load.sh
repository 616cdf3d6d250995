#!/usr/bin/env bash
# Starts a koralith-server on a free loopback port with a fresh database and the low hash cost,
# runs koralith-load against it, and stops the server. Arguments go to koralith-load.
#   bench/load/run-load.sh [BUILD_DIR] [--bots N] [--seconds S] [--think-ms T]
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then build=$1; shift; fi
dir=$(mktemp -d)
ulimit -n "$(ulimit -Hn)"
# Every bot comes from 127.0.0.1: the cap on one address's connections is lifted.
"$build/bin/koralith-server" --listen 127.0.0.1:0 --db "$dir/load.db" --hash-cost min \
    --connections-per-address 1000000 2> "$dir/server.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; rm -rf "$dir"' EXIT
port=
for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\),.*/\1/p' "$dir/server.log")
    [ -n "$port" ] && break
    sleep 0.05
done
[ -n "$port" ] || { cat "$dir/server.log" >&2; exit 1; }
status=0
"$build/bin/koralith-load" --port "$port" --server-pid "$server" "$@" || status=$?
echo "server log: $(wc -l < "$dir/server.log") lines, $(grep -c 'error' "$dir/server.log" || true) errors"
exit $status
