#!/usr/bin/env bash
# Installs the Debian 12 packages Glyphscape needs to build, test and run, when missing.
set -euo pipefail

packages=(
    cmake make g++ pkg-config
    help2man desktop-file-utils appstream dpkg-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-ipafont-gothic
    xvfb xauth chromium
    clang libclang-rt-14-dev clang-format clang-tidy
    libjpeg62-turbo-dev zlib1g-dev
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
