#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package as a packager and a user would:
#     package-test.sh <partory_1.0_amd64.deb>
# lintian on it (no error, no warning); the package built again, twice, from the last commit in
# two folders of different names, and byte for byte the same, with no such folder named in it;
# then installed into a fresh Debian 12 root, where the installed program divides a file
# through its window. The root is made with debootstrap (minbase) from the Debian archive this
# machine's APT uses (DEBIAN_MIRROR overrides it), so this needs the network and root; it takes
# a few minutes. The root and the two builds are removed again however this ends.
set -euo pipefail
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source=$(cd "$here/.." && pwd)

if [[ $(id -u) -ne 0 ]]; then
    exec sudo --preserve-env=DEBIAN_MIRROR,PARTORY_PACKAGE_TEST_DIR,JOBS,SOURCE_DATE_EPOCH \
        "$0" "$@"
fi
command -v debootstrap >/dev/null || { echo "no debootstrap: run tools/install-deps.sh package-test"; exit 1; }
command -v lintian >/dev/null || { echo "no lintian: run tools/install-deps.sh package-test"; exit 1; }
mirror=$("$source/tools/debian-mirror.sh" bookworm)
step() { echo; echo "== $*"; }

step "lintian --fail-on error,warning $(basename "$deb")"
lintian --fail-on error,warning --display-info "$deb" || { echo "FAILED: lintian"; exit 1; }
echo "lintian: no error, no warning"

# The same commit in two folders, the second name longer, so that a folder that leaks into the
# package changes its bytes as well as its text.
step "the package built twice from the last commit, in two folders"
git=(git -c safe.directory="$source" -c safe.directory="$source/.git")
commit=$("${git[@]}" -C "$source" rev-parse HEAD)
twice=$(mktemp -d "${PARTORY_PACKAGE_TEST_DIR:-/var/tmp}/partory-twice-XXXXXX")
trap 'rm -rf "$twice"' EXIT
for folder in one second-folder; do
    dir=$twice/$folder
    "${git[@]}" clone -q --no-checkout "$source" "$dir"
    git -C "$dir" checkout -q --detach "$commit"
    cmake -S "$dir" -B "$dir/build" -G Ninja -DPARTORY_TESTS=OFF -DPARTORY_BENCH=OFF \
        >"$twice/$folder.log" 2>&1 &&
        cmake --build "$dir/build" -j "${JOBS:-$(nproc)}" --target package >>"$twice/$folder.log" 2>&1 ||
        { tail -30 "$twice/$folder.log"; echo "FAILED: the build in $dir"; exit 1; }
    echo "$dir: $(sha256sum "$dir/build/partory_1.0_amd64.deb" | cut -d' ' -f1)"
done
one=$twice/one/build/partory_1.0_amd64.deb
two=$twice/second-folder/build/partory_1.0_amd64.deb
if ! cmp "$one" "$two"; then
    diff <(dpkg-deb -c "$one") <(dpkg-deb -c "$two") || true
    echo "FAILED: two builds of $commit differ"
    exit 1
fi
mkdir "$twice/unpacked"
dpkg-deb -R "$one" "$twice/unpacked"
if grep -rlaF -e "$twice" -e "$source" "$twice/unpacked"; then
    echo "FAILED: a build folder is named in the package (above)"
    exit 1
fi
echo "identical, and neither folder nor $source named in them ($commit)"
rm -rf "$twice"
trap - EXIT

root=$(mktemp -d "${PARTORY_PACKAGE_TEST_DIR:-/var/tmp}/partory-root-XXXXXX")
chmod 755 "$root"
mounts=()
finish() {
    local status=$?
    for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
        umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" || true
    done
    # Only fresh pseudo file systems are mounted in the root, never a folder of this machine,
    # so removing it can only remove the root itself.
    if findmnt -rno TARGET | grep -q "^$root"; then
        echo "still mounted under $root; left in place" >&2
    else
        rm -rf "$root"
    fi
    exit $status
}
trap finish EXIT
trap 'exit 143' INT TERM HUP
mount_in_root() {  # type target [options]
    mkdir -p "$root/$2"
    mount -t "$1" ${3:+-o "$3"} "$1" "$root/$2"
    mounts+=("$root/$2")
}
in_root() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LC_ALL=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}

step "debootstrap --variant=minbase bookworm $root $mirror"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 || {
    tail -20 "$root.debootstrap.log"; rm -f "$root.debootstrap.log"; exit 1; }
rm -f "$root.debootstrap.log"
mount_in_root proc proc
mount_in_root sysfs sys
mount_in_root tmpfs dev/shm mode=1777
mount_in_root devpts dev/pts newinstance,ptmxmode=0666
cp /etc/resolv.conf "$root/etc/resolv.conf"

step "apt-get install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
in_root apt-get update -qq
in_root sh -c "cd /tmp && apt-get install -y -q ./$(basename "$deb")" | tail -3

step "dpkg-query -W partory"
version=$(in_root dpkg-query -W -f='${Version}' partory)
echo "partory $version"
[[ "$version" == "1.0" ]] || { echo "FAILED: installed version $version, expected 1.0"; exit 1; }

step "libraries of /usr/bin/partory and of Qt's X11 platform plugin"
for binary in /usr/bin/partory /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so; do
    missing=$(in_root ldd "$binary" | grep "not found" || true)
    if [[ -n "$missing" ]]; then
        echo "FAILED: $binary lacks: $missing"
        exit 1
    fi
    echo "$binary: all found"
done
for file in /usr/share/applications/org.partory_app.Partory.desktop \
            /usr/share/metainfo/org.partory_app.Partory.metainfo.xml \
            /usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/org.partory_app.Partory.png; do
    [[ -f "$root$file" ]] || { echo "FAILED: $file not installed"; exit 1; }
done
echo "desktop entry, metadata and six icons in place"

# The tools of the check come only now, so that they cannot supply a library the package
# forgot to depend on.
step "the installed program under Xvfb: a divide through its window"
in_root apt-get install -y -q --no-install-recommends xvfb xauth openbox xdotool x11-utils \
    dbus-daemon | tail -1
cp "$here/check-installed.sh" "$root/tmp/"
# On a private session bus that ends with the check: nothing stays running in the root.
in_root dbus-run-session -- bash /tmp/check-installed.sh
echo
echo "package-test: PASSED ($(basename "$deb") $version installed into a fresh Debian 12 root)"
