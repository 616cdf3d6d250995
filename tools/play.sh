#!/usr/bin/env bash
# make play: open the game. When nothing listens on the game server's built-in address and that
# address is this machine, the bundled koralith-server is started in the background (its
# database in the user's data folder) with its web face beside it, and both are stopped when the
# game ends. With no display, the game runs under a virtual one just long enough to save a
# picture of its main menu.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
game="$build/bin/koralith"
server="$build/bin/koralith-server"
web="$build/bin/koralith-web"
web_address=127.0.0.1:8080

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
host=$(cache_value KORALITH_SERVER_HOST)
port=$(cache_value KORALITH_SERVER_PORT)
data="${XDG_DATA_HOME:-$HOME/.local/share}/koralith"
mkdir -p "$data"

listening() { (exec 3<>"/dev/tcp/${1:-$host}/${2:-$port}") 2>/dev/null; }

pids=()
stop_servers() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
trap stop_servers EXIT

# The web face of the bundled server: its leaderboard and the games just played.
start_web() {
    [ -x "$web" ] || return 0
    if listening "${web_address%:*}" "${web_address#*:}"; then
        echo "Something already listens on $web_address: the web face is not started."
        return
    fi
    "$web" --db "$data/koralith.db" --listen "$web_address" 2>>"$data/web.log" &
    pids+=($!)
    echo "The server's web face: http://$web_address/ (log: $data/web.log)."
}

case "$host" in
localhost | 127.0.0.1)
    if listening; then
        echo "A game server already listens on $host:$port: the game will use it."
    else
        "$server" --listen "127.0.0.1:$port" --db "$data/koralith.db" \
            --notice "Welcome to Koralith. Five in a row wins!" 2>>"$data/server.log" &
        server_pid=$!
        pids+=("$server_pid")
        for _ in $(seq 50); do
            listening && break
            kill -0 "$server_pid" 2>/dev/null || break
            sleep 0.1
        done
        if listening; then
            echo "Started the bundled game server on 127.0.0.1:$port (log: $data/server.log)."
            start_web
        else
            echo "The bundled game server did not start (see $data/server.log);" \
                "single-player works, online play will say it cannot reach the server."
        fi
    fi
    ;;
*) echo "This build plays online on $host:$port." ;;
esac

# The game writes its network diary to the folder it starts in: the data folder, not this one.
cd "$data"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    "$game"
    exit
fi

shot="$data/koralith-menu.png"
echo "No display here: running the game under a virtual display to take a picture of its menu."
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1" &
    game=$!
    window=$(timeout 20 xdotool search --sync --name "^Koralith$" | head -n 1)
    sleep 2 # the first frames, and the server notice
    import -window "$window" "$2"
    kill -TERM "$game"
    wait "$game"
' _ "$game" "$shot"
echo "Saved a picture of the main menu: $shot"
