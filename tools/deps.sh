#!/usr/bin/env bash
# Installs the Debian packages Koralith builds, tests and plays with, and only the missing ones.
# As root it runs apt-get itself; otherwise it prints the command to run and fails, so that a
# build never starts half-equipped.
#   tools/deps.sh          what building and playing need
#   tools/deps.sh --test   also what the browser tests and the benchmarks need (Chromium, Node
#                          and the browser tests' npm packages, wrk)
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
    build-essential cmake pkg-config
    clang-14 libclang-rt-14-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libsdl2-mixer-dev libfontconfig-dev
    fonts-liberation2
    libpugixml-dev
    libasio-dev libsqlite3-dev libsodium-dev libicu-dev libcpp-httplib-dev
    python3
    xvfb xauth xdotool imagemagick
    dpkg-dev desktop-file-utils libglib2.0-bin
)
testing=false
if [ "${1:-}" = "--test" ]; then
    testing=true
    packages+=(chromium wrk)
    # Node may come from elsewhere than Debian (its own packages conflict with Debian's npm):
    # any node with npm will do.
    command -v npm >/dev/null || packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    line="apt-get install -y --no-install-recommends ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing Debian packages. Run as root:" >&2
        echo "  apt-get update && $line" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The browser tests' packages, exactly as the lockfile names them, again only when it changed.
web=tests/web
if $testing && [ -f $web/package-lock.json ] &&
    ! cmp -s $web/package-lock.json $web/node_modules/.koralith-installed; then
    echo "Installing the browser tests' npm packages"
    (cd $web && npm ci --no-audit --no-fund --ignore-scripts &&
        cp package-lock.json node_modules/.koralith-installed)
fi
exit 0
