#!/usr/bin/env bash
# koralith-web under load: a database of 100,000 players and 1,000,000 games (made once by
# make-db.py and kept in the build folder), koralith-web on a free loopback port, and wrk with
# keep-alive on leaderboard pages, player pages and game pages, each drawn at random from
# thousands of addresses. Prints one table: requests per second and latency percentiles.
#   bench/web/run-web.sh BUILD_DIR [SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
seconds=${2:-10}
web="$build/bin/koralith-web"
db="$build/web-bench.db"
work=$(mktemp -d)
pid=
finish() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap finish EXIT

command -v wrk >/dev/null || { echo "run-web.sh: wrk is missing (tools/deps.sh --test)" >&2; exit 1; }
[ -x "$web" ] || { echo "run-web.sh: no $web (build it first)" >&2; exit 1; }
if [ ! -f "$db" ]; then
    echo "Making $db (once; about a minute)"
    python3 "$here/make-db.py" "$db"
fi

# The addresses: every leaderboard page, and players and games drawn at random.
python3 - "$db" "$work" <<'PY'
import random, sqlite3, sys, urllib.parse
db = sqlite3.connect("file:%s?mode=ro" % sys.argv[1], uri=True)
out = sys.argv[2]
rng = random.Random(1)
players = db.execute("SELECT COUNT(*) FROM users").fetchone()[0]
games = db.execute("SELECT MAX(id) FROM games").fetchone()[0]
pages = (players + 49) // 50
names = [r[0] for r in db.execute("SELECT name FROM users WHERE id IN (%s)" % ",".join(
    str(rng.randint(1, players)) for _ in range(5000)))]
with open(out + "/leaderboard.txt", "w") as f:
    f.writelines("/?page=%d\n" % p for p in range(1, pages + 1))
with open(out + "/player.txt", "w") as f:
    f.writelines("/player/%s\n" % urllib.parse.quote(n, safe="") for n in names)
with open(out + "/game.txt", "w") as f:
    f.writelines("/game/%d\n" % rng.randint(1, games) for _ in range(5000))
PY

"$web" --db "$db" --listen 127.0.0.1:0 2>"$work/web.log" &
pid=$!
port=
for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/web.log")
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { echo "run-web.sh: koralith-web did not start:" >&2; cat "$work/web.log" >&2; exit 1; }

# koralith-web's own processor time (user + system, in clock ticks) so far.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
ticks=$(getconf CLK_TCK)

# As many connections as koralith-web has workers: each keeps one for its whole keep-alive.
rows=()
for kind in leaderboard player game; do
    curl -fsS -o /dev/null "http://127.0.0.1:$port$(head -1 "$work/$kind.txt")" # opens the database
    before=$(cpu_ticks)
    wrk -t2 -c8 -d"${seconds}s" --latency -s "$here/paths.lua" "http://127.0.0.1:$port" \
        -- "$work/$kind.txt" >"$work/$kind.wrk"
    used=$(($(cpu_ticks) - before))
    requests=$(awk '/requests in/ {print $1}' "$work/$kind.wrk")
    cpu=$(awk -v t="$used" -v n="$requests" -v hz="$ticks" \
        'BEGIN {if (n > 0) printf "%.0fus", 1e6 * t / hz / n; else print "-"}')
    rate=$(awk '/^Requests\/sec/ {printf "%.0f", $2}' "$work/$kind.wrk")
    p50=$(awk '$1 == "50%" {print $2}' "$work/$kind.wrk")
    p99=$(awk '$1 == "99%" {print $2}' "$work/$kind.wrk")
    errors=$(awk '/Non-2xx|Socket errors/ {sub(/^ +/, ""); printf "%s; ", $0}' "$work/$kind.wrk")
    rows+=("$(printf '| %-11s | %8s | %8s | %8s | %8s | %s' "$kind" "$rate" "$p50" "$p99" "$cpu" \
        "${errors:-none}")")
done

echo
echo "koralith-web, $(nproc) cores, wrk -t2 -c8 keep-alive, ${seconds} s each (goals: leaderboard and"
echo "game p99 <= 5 ms, player p99 <= 10 ms, >= 2000 requests/s). cpu: koralith-web's processor"
echo "time per request, which other work on the machine barely changes; load average now:"
echo "$(cut -d' ' -f1-3 /proc/loadavg)"
echo "| page        |    req/s |      p50 |      p99 |      cpu | errors"
echo "|-------------|----------|----------|----------|----------|-------"
printf '%s\n' "${rows[@]}"
