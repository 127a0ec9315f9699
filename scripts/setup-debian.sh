#!/usr/bin/env bash
# Installs everything Tockamo needs to build, run and test on Debian 12.
# Safe to run again; needs root (or sudo) for apt-get.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev libgl-dev libsdl2-dev libxcb1-dev librsvg2-bin
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    xdg-utils fonts-dejavu-core fonts-liberation
    xvfb xdotool x11-utils openbox pulseaudio pulseaudio-utils desktop-file-utils
    clang
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
