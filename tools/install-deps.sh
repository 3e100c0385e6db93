#!/usr/bin/env bash
# Installs the Debian packages the project needs that are not there yet.
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config
    xfsprogs btrfs-progs
    libgtest-dev libgmock-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    fonts-liberation
    xvfb xauth openbox xdotool x11-utils x11-xserver-utils libx11-dev python3
    dbus dbus-daemon at-spi2-core python3-pyatspi python3-gi gir1.2-atspi-2.0
    weston qt6-wayland
    clang libclang-rt-14-dev strace
    desktop-file-utils appstream dpkg-dev debootstrap
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
