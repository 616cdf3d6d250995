#!/usr/bin/env bash
# make play: open the game. Until the windowed client lands, the computer plays itself in the
# terminal.
set -euo pipefail
build=${1:-build}
exec "$build/bin/pbrain-koralith" --selfplay
