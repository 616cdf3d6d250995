#!/usr/bin/env bash
# package_test.sh BUILD SOURCE: builds the koralith and koralith-server packages from BUILD with
# cpack, unpacks them with dpkg-deb -x into a temporary folder (nothing is installed), checks
# what they hold, starts the unpacked server on a free loopback port with a temporary database,
# and runs the unpacked game under a virtual display with --server pointing at it, until its
# main menu shows the pictures (compared with SOURCE/res) and the server's notice. The last
# screenshot is left as package-menu.png in the working folder.
set -euo pipefail

fail() {
    echo "package test: $*" >&2
    exit 1
}

# The menu's three buttons at the window's scale (400 / 576): 236 x 72 pixels, their top-left
# corners at x 81 and these y (design centres 613.76, 509.76 and 405.76 from the bottom, less
# half a button, cut down to whole pixels as the engine places them). A picture drawn one pixel
# off already differs by an RMSE of 0.09; the background alone by 0.16 or more.
readonly background='rgb(139,115,85)'
readonly buttons='danjigame:245 netgame:317 exitgame:390'
# Why the last screenshot is not yet the menu; empty when it is.
menu_problem() {
    local shot=$1 res=$2 scratch=$3 name top rmse brightest
    for button in $buttons; do
        name=${button%:*}
        top=${button#*:}
        convert "$shot" -crop "236x72+81+$top" +repage "$scratch/drawn.png"
        convert "$res/images/$name.png" -resize '236x72!' -background "$background" -flatten \
            "$scratch/expected.png"
        rmse=$(compare -metric RMSE "$scratch/drawn.png" "$scratch/expected.png" null: 2>&1 |
            sed -n 's/.*(\(.*\)).*/\1/p')
        if ! awk -v e="${rmse:-1}" 'BEGIN { exit !(e < 0.06) }'; then
            echo "the menu does not show images/$name.png (RMSE ${rmse:-?} against the picture)"
            return
        fi
    done
    # The line is empty until the server's notice arrives: white text on the brown background.
    brightest=$(convert "$shot" -crop 400x26+0+681 +repage -colorspace gray \
        -format '%[fx:maxima]' info:)
    if ! awk -v b="$brightest" 'BEGIN { exit !(b > 0.9) }'; then
        echo "no notice from the server in the menu's bottom line"
    fi
}

# Inside the virtual display: the game started, its window awaited, screenshots taken until the
# menu is complete (20 s at most); the game is stopped on the way out.
if [ "${1:-}" = --in-display ]; then
    shift
    game=$1 port=$2 work=$3 res=$4 shot=$5
    game_pid=
    stop_game() {
        [ -n "$game_pid" ] || return 0
        kill -TERM "$game_pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$game_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$game_pid" 2>/dev/null || true
        wait "$game_pid" 2>/dev/null || true
    }
    trap stop_game EXIT
    (cd "$work/cwd" && exec "$game" --server "127.0.0.1:$port") 2>"$work/game.err" &
    game_pid=$!
    window=$(timeout 20 xdotool search --sync --name '^Koralith$' | head -n 1) || true
    [ -n "$window" ] || fail "the unpacked game opened no window: $(cat "$work/game.err")"
    problem="no screenshot taken"
    for _ in $(seq 100); do
        kill -0 "$game_pid" 2>/dev/null || fail "the game ended: $(cat "$work/game.err")"
        if import -window "$window" "$shot" 2>/dev/null; then
            problem=$(menu_problem "$shot" "$res" "$work")
            [ -z "$problem" ] && exit 0
        fi
        sleep 0.2
    done
    fail "$problem (screenshot: package-menu.png)"
fi

# Inside the virtual display: the unpacked desktop entry launched as a desktop does (gio), with
# the unpacked game first on the PATH, from the folder given; it must start the game in the data
# folder, which then holds its diary. The game is stopped once its window shows.
if [ "${1:-}" = --desktop-entry ]; then
    shift
    entry=$1 bin=$2 from=$3
    (cd "$from" && PATH="$bin:$PATH" gio launch "$entry") || fail "gio could not launch the entry"
    timeout 20 xdotool search --sync --name '^Koralith$' >/dev/null ||
        fail "the desktop entry opened no window"
    for pid in $(pgrep -x koralith); do
        [ "$(readlink "/proc/$pid/exe")" = "$bin/koralith" ] && kill -TERM "$pid"
    done
    exit 0
fi

build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
shot="$PWD/package-menu.png"
rm -f "$shot"
tmp=$(mktemp -d "${TMPDIR:-/tmp}/koralith-package-XXXXXX")
server_pid=
cleanup() {
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$tmp"
}
trap cleanup EXIT

# 1. The packages, unpacked, their library dependencies computed.
cpack --config "$build/CPackConfig.cmake" -B "$tmp/cpack" >"$tmp/cpack.log" 2>&1 ||
    fail "cpack failed: $(tail -n 20 "$tmp/cpack.log")"
root="$tmp/root"
for name in koralith koralith-server; do
    deb=$(find "$tmp/cpack" -maxdepth 1 -name "${name}_*.deb" | head -n 1)
    [ -n "$deb" ] || fail "cpack made no $name package"
    dpkg-deb -x "$deb" "$root"
    depends=$(dpkg-deb -f "$deb" Depends)
    case "$name:$depends" in
    koralith:*libsdl2-2.0-0*libsdl2-image*libsdl2-ttf* | koralith-server:*libsodium*libsqlite3*) ;;
    *) fail "$name: library dependencies not computed (Depends: $depends)" ;;
    esac
done

# 2. Every file where it belongs, and nothing else (no tests, no picture sources).
expected=$(
    cat <<'LIST'
usr/bin/koralith
usr/bin/koralith-server
usr/bin/koralith-web
usr/bin/pbrain-koralith
usr/lib/systemd/system/koralith-server.service
usr/lib/systemd/system/koralith-web.service
usr/share/applications/koralith.desktop
usr/share/icons/hicolor/256x256/apps/koralith.png
usr/share/icons/hicolor/scalable/apps/koralith.svg
usr/share/koralith/res/icon/koralith.png
usr/share/koralith/res/text.xml
usr/share/man/man6/koralith-server.6
LIST
    cd "$source/res" && { find images -name '*.png' && find sounds -name '*.wav'; } |
        sed 's|^|usr/share/koralith/res/|'
)
expected=$(sort <<<"$expected")
actual=$(cd "$root" && find . -type f | sed 's|^\./||' | sort)
[ "$actual" = "$expected" ] ||
    fail "the packages' files differ from the list (< expected, > packaged):
$(diff <(echo "$expected") <(echo "$actual") || true)"
desktop-file-validate "$root/usr/share/applications/koralith.desktop" ||
    fail "the desktop entry is not valid"
for program in koralith-server koralith-web; do
    grep -q "^ExecStart=/usr/bin/$program " "$root/usr/lib/systemd/system/$program.service" ||
        fail "the systemd unit does not start /usr/bin/$program"
done

# 3. The unpacked server on a free loopback port.
"$root/usr/bin/koralith-server" --listen 127.0.0.1:0 --db "$tmp/koralith.db" --hash-cost min \
    --notice "Packaged and unpacked" 2>"$tmp/server.log" &
server_pid=$!
port=
for _ in $(seq 100); do
    port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$tmp/server.log")
    [ -n "$port" ] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
[ -n "$port" ] || fail "the unpacked server did not start: $(cat "$tmp/server.log")"

# 4. The unpacked game started from an empty folder, which gets its diary; its settings go to a
# temporary data folder.
mkdir -p "$tmp/game/cwd" "$tmp/game/data"
XDG_DATA_HOME="$tmp/game/data" xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "$0" --in-display "$root/usr/bin/koralith" "$port" "$tmp/game" "$source/res" "$shot"
grep -q 'connection [0-9]* from 127\.0\.0\.1' "$tmp/server.log" ||
    fail "the server saw no connection from the game: $(cat "$tmp/server.log")"
ls "$tmp/game/cwd/"netlog*.log >/dev/null 2>&1 ||
    fail "the game wrote no network diary into its working folder"
! ls "$tmp/game/data/koralith/"netlog*.log >/dev/null 2>&1 ||
    fail "the game started from a folder wrote its diary into the data folder"

# 5. The desktop entry starts the game in the data folder, made if missing, and nowhere else.
mkdir -p "$tmp/desktop/cwd"
XDG_DATA_HOME="$tmp/desktop/data" xvfb-run -a -s "-screen 0 1024x768x24" \
    bash "$0" --desktop-entry "$root/usr/share/applications/koralith.desktop" "$root/usr/bin" \
    "$tmp/desktop/cwd"
for _ in $(seq 50); do
    ls "$tmp/desktop/data/koralith/"netlog*.log >/dev/null 2>&1 && break
    sleep 0.1
done
ls "$tmp/desktop/data/koralith/"netlog*.log >/dev/null 2>&1 ||
    fail "the desktop entry did not start the game in the data folder"
[ -z "$(ls -A "$tmp/desktop/cwd")" ] ||
    fail "the desktop entry's game wrote where it was launched: $(ls "$tmp/desktop/cwd")"
echo "package test: both packages unpacked; the game drew its menu and the server's notice"
