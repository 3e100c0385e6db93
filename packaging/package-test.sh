#!/usr/bin/env bash
# Installs the Debian package into a fresh Debian 12 root and checks the installed program:
#     package-test.sh <partory_1.0_amd64.deb>
# The root is made with debootstrap (minbase) from the Debian mirror, so this needs the
# network and root; it takes a few minutes. The root is removed again however this ends.
set -euo pipefail
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

if [[ $(id -u) -ne 0 ]]; then
    exec sudo --preserve-env=DEBIAN_MIRROR,PARTORY_PACKAGE_TEST_DIR "$0" "$@"
fi
command -v debootstrap >/dev/null || { echo "no debootstrap: run tools/install-deps.sh"; exit 1; }

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

step() { echo; echo "== $*"; }

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
