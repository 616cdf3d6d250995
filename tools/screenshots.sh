#!/usr/bin/env bash
# Redraws docs/screenshots from the headless harness: build/bin/koralith-screenshots runs the
# real scenes at the window's size, feeding the server's answers itself.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target koralith-screenshots >/dev/null
"$build/bin/koralith-screenshots" docs/screenshots
