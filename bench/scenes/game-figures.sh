#!/usr/bin/env bash
# The real game's figures, measured on the product executable in a virtual display:
#   start to first frame   from exec to the first picture in the window (polled, ~25 ms steps)
#   idle CPU               share of one core over 20 s on the idle menu, then an idle game
#                          (IDLE_SECONDS=N for another span), with the main loop's part
#   resident memory        VmRSS of the running game, on the menu and in a game
# Usage: bench/scenes/game-figures.sh [BUILD]   (needs xvfb-run, xdotool, imagemagick)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
if [ "${KORALITH_IN_XVFB:-}" != 1 ]; then
    KORALITH_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$build"
fi
work=$(mktemp -d)
game=
trap '[ -z "$game" ] || kill "$game" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work" # the game's network diary and settings stay here
export XDG_DATA_HOME="$work"

idle_seconds=${IDLE_SECONDS:-20}
# Per thread, "tid run-ns wake-ups": run time in nanoseconds, as an idle game runs a few ms in
# 20 s, under the 10 ms resolution of /proc/PID/stat.
threads_of() {
    for t in /proc/"$1"/task/*; do
        echo "${t##*/} $(cut -d' ' -f1,3 "$t/schedstat")"
    done
}
rss_of() { awk '/VmRSS/ {printf "%.1f MB", $2 / 1024}' "/proc/$1/status"; }
now() { date +%s.%N; }
# The whole process's share of one core, then the main thread's (the engine's loop) and the
# other threads' (the network thread), each with its wake-ups a second.
idle_share() { # pid seconds
    threads_of "$1" > "$work/before"
    sleep "$2"
    threads_of "$1" > "$work/after"
    join "$work/before" "$work/after" | awk -v main="$1" -v s="$2" '
        { run = ($4 - $2) / 1e9 / s * 100; wakes = ($5 - $3) / s
          if ($1 == main) { mr += run; mw += wakes } else { or += run; ow += wakes } }
        END { printf "%.3f %% (main loop %.3f %% at %.1f wake-ups/s, other threads %.3f %% at %.1f)",
              mr + or, mr, mw, or, ow }'
}

start=$(now)
"$build/bin/koralith" &
game=$!
# Polled without xdotool's --sync, which looks only every half second: the first frame paints
# the menu's brown background over the new window. A first frame never seen is a failure, not a
# figure.
first=
for _ in $(seq 1000); do
    window=$(xdotool search --name '^Koralith$' 2>/dev/null | head -n 1 || true)
    if [ -n "$window" ]; then
        pixel=$(import -window "$window" -crop 1x1+5+5 txt:- 2>/dev/null | tail -n 1 || true)
        case "$pixel" in *"srgb(139,115,85)"*)
            first=$(awk -v a="$start" -v b="$(now)" 'BEGIN {printf "%.0f ms", 1000 * (b - a)}')
            break ;;
        esac
    fi
    sleep 0.005
done
if [ -z "$first" ]; then
    echo "game-figures: the game's first frame never showed" >&2
    exit 1
fi
sleep 2
menu_cpu=$(idle_share "$game" "$idle_seconds")
menu_rss=$(rss_of "$game")
# The single-player button: design (288, 509.76 + 104) in a 400-point-wide window.
xdotool mousemove --window "$window" 200 282 click 1
sleep 2
game_cpu=$(idle_share "$game" "$idle_seconds")
game_rss=$(rss_of "$game")
kill -TERM "$game"
wait "$game" || true
game=

printf '%-36s %s\n' "start to first frame" "$first" \
    "idle CPU, main menu" "$menu_cpu" "idle CPU, single-player game" "$game_cpu" \
    "resident memory, main menu" "$menu_rss" "resident memory, single-player game" "$game_rss"
