#!/usr/bin/env bash
# The real game's figures, measured on the product executable in a virtual display:
#   start to first frame   from exec to the first picture in the window (polled, ~25 ms steps)
#   idle CPU               share of one core over 10 s on the idle menu, then an idle game
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

ticks=$(getconf CLK_TCK)
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat"; }
rss_of() { awk '/VmRSS/ {printf "%.1f MB", $2 / 1024}' "/proc/$1/status"; }
now() { date +%s.%N; }
idle_share() { # pid seconds
    local before after
    before=$(cpu_of "$1")
    sleep "$2"
    after=$(cpu_of "$1")
    awk -v t="$((after - before))" -v hz="$ticks" -v s="$2" 'BEGIN {printf "%.2f %%", 100 * t / hz / s}'
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
menu_cpu=$(idle_share "$game" 10)
menu_rss=$(rss_of "$game")
# The single-player button: design (288, 509.76 + 104) in a 400-point-wide window.
xdotool mousemove --window "$window" 200 282 click 1
sleep 2
game_cpu=$(idle_share "$game" 10)
game_rss=$(rss_of "$game")
kill -TERM "$game"
wait "$game" || true
game=

printf '%-36s %s\n' "start to first frame" "$first" \
    "idle CPU, main menu" "$menu_cpu" "idle CPU, single-player game" "$game_cpu" \
    "resident memory, main menu" "$menu_rss" "resident memory, single-player game" "$game_rss"
