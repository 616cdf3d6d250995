#!/usr/bin/env bash
# Installs the Debian packages Koralith builds, tests and plays with, and only the missing ones.
# As root it runs apt-get itself; otherwise it prints the command to run and fails, so that a
# build never starts half-equipped.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    clang-14 libclang-rt-14-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    libsdl2-dev libsdl2-image-dev libsdl2-ttf-dev libsdl2-mixer-dev libfontconfig-dev
    fonts-liberation2
    libpugixml-dev
    libasio-dev libsqlite3-dev libsodium-dev
    python3
    xvfb xauth xdotool imagemagick
    dpkg-dev desktop-file-utils libglib2.0-bin
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

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
