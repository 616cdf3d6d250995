#!/usr/bin/env bash
# Starts a koralith-server on a free loopback port with a fresh database, runs koralith-load
# against it, and stops the server. Arguments go to koralith-load. The bots' server hashes at the
# low test cost; the hashing run's (--hashing) at the real cost, which is what it measures.
# --floor runs the same bots against koralith-floor-relay instead: the floor of the server's CPU
# time per move. The relay under load runs with the allocation counter preloaded, so that the
# load tool also tells its allocations per move. --with-web also starts koralith-web on the
# server's database and keeps it busy with wrk (its leaderboard pages and a game) meanwhile, to
# show the web face leaves the relay's figures as they are.
#   bench/load/run-load.sh [BUILD_DIR] [--floor | --with-web] [--bots N] [--seconds S] [--think-ms T]
#   bench/load/run-load.sh [BUILD_DIR] --hashing [--seconds S]
# KORALITH_SERVER=PATH runs another build of the server (an earlier one, to compare).
set -euo pipefail
build=build
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then build=$1; shift; fi
dir=$(mktemp -d)
relay=("${KORALITH_SERVER:-$build/bin/koralith-server}" --listen 127.0.0.1:0 --db "$dir/load.db")
cost=(--hash-cost min)
args=()
web=false
for arg in "$@"; do
    case $arg in
    --with-web) web=true ;;
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
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$dir"' EXIT
port=
for _ in $(seq 100); do
    # The log may not be there yet: the server's shell opens it.
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$dir/server.log" \
        2>/dev/null || true)
    [ -n "$port" ] && break
    sleep 0.05
done
[ -n "$port" ] || { cat "$dir/server.log" >&2; exit 1; }
web_pid=
if $web; then
    "$build/bin/koralith-web" --db "$dir/load.db" --listen 127.0.0.1:0 2> "$dir/web.log" &
    web_pid=$!
    trap 'kill "$server" $web_pid 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$dir"' EXIT
    for _ in $(seq 100); do
        web_port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$dir/web.log")
        [ -n "$web_port" ] && break
        sleep 0.05
    done
    # Until the load tool is done: stopped below.
    printf '/\n/?page=2\n/game/1\n/api/leaderboard\n' > "$dir/paths.txt"
    wrk -t1 -c4 -d600s -s "$(dirname "$0")/../web/paths.lua" \
        "http://127.0.0.1:$web_port" -- "$dir/paths.txt" > "$dir/web.wrk" 2>&1 &
    wrk_pid=$!
fi
status=0
"$build/bin/koralith-load" --port "$port" --server-pid "$server" --malloc-count "$dir/mallocs" \
    "${args[@]}" || status=$?
echo "server log: $(wc -l < "$dir/server.log") lines, $(grep -c 'error' "$dir/server.log" || true) errors"
if $web; then
    kill -INT "$wrk_pid" 2>/dev/null || true
    wait "$wrk_pid" 2>/dev/null || true
    echo "web requests during the load: $(awk '/requests in/ {print $1}' "$dir/web.wrk")"
fi
exit $status
