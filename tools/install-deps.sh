#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that the named groups need and that are not there yet:
#     install-deps.sh build [test] [bench] [sanitize] [fuzz] [package] [package-test] [format]
# Each make target names its own groups, so that `make run` installs only what building and
# running the program need, and `make test` adds the test laboratory.
set -euo pipefail

declare -A groups=(
    # The program: the compiler, the build tools, Qt and the font the window is laid out for.
    [build]="cmake ninja-build g++ make pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
        fonts-liberation"
    # The tests: GoogleTest; private session and accessibility buses; X servers, a window
    # manager and the X tools that drive the real window; weston for the Wayland journey;
    # strace for the injected system call faults; XFS and btrfs for the shared blocks; a FUSE
    # file system in Python for the engine's faults; the desktop file validators; and the
    # package's own tools, as a test builds the package and runs lintian on it.
    [test]="libgtest-dev libgmock-dev
        dbus dbus-daemon at-spi2-core python3 python3-pyatspi python3-gi gir1.2-atspi-2.0
        xvfb xauth openbox xdotool x11-utils x11-xserver-utils libx11-dev
        weston qt6-wayland
        strace xfsprogs btrfs-progs python3-fusepy fuse3
        desktop-file-utils appstream dpkg-dev file lintian"
    # The benchmark: its window cases on a private Xvfb with openbox, the click through the X
    # server, a session bus, and the file systems of its copy-on-write and FUSE cases.
    [bench]="dbus-daemon xvfb xauth openbox xdotool xfsprogs btrfs-progs python3-fusepy fuse3"
    # g++'s sanitizers come with g++; the tests they run need the test packages.
    [sanitize]=""
    # libFuzzer: clang and its runtime libraries.
    [fuzz]="clang libclang-rt-14-dev"
    # CPack's Debian package: dpkg-shlibdeps, and file, with which CPack finds the binaries.
    [package]="dpkg-dev file"
    # The package test's Debian root, and lintian on the package.
    [package-test]="debootstrap lintian"
    # CI's check of the C++ files' format.
    [format]="clang-format"
)
# What each group builds on.
declare -A needs=([test]=build [bench]=build [sanitize]="build test" [fuzz]=build
    [package]=build [package-test]="build package")

[[ $# -gt 0 ]] || set -- build
packages=()
for group in "$@"; do
    for g in ${needs[$group]:-} "$group"; do
        [[ -v "groups[$g]" ]] || { echo "install-deps.sh: no group '$g' (${!groups[*]})" >&2; exit 2; }
        packages+=(${groups[$g]})
    done
done

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
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
