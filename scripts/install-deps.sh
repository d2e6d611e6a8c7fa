#!/usr/bin/env bash
# Installs the Debian 12 packages Ramify needs to build, run and test.
# Idempotent: when everything is there, it only checks and returns.
set -euo pipefail

packages=(
    build-essential cmake ninja-build
    dpkg-dev
    qtbase5-dev qtbase5-dev-tools qtbase5-private-dev qt5-qmake libqt5svg5-dev
    libqt5charts5-dev
    libmuparser-dev pkg-config
    libboost-dev
    clang libclang-rt-dev
    xvfb xauth xdotool x11-utils imagemagick librsvg2-bin poppler-utils
    fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
