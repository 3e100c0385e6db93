#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# tools/debian-mirror.sh against APT source folders made here: the bookworm main archive is
# found in both forms, never a security, updates, source or disabled entry, and DEBIAN_MIRROR
# wins.  debian_mirror.sh <tools/debian-mirror.sh>
set -u
tool=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/partory-apt-XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
# expect <name> <wanted output, or FAIL> [VAR=value...]: runs the tool on $work/<name>.
expect() {
    local name=$1 want=$2 got
    shift 2
    got=$(env -u DEBIAN_MIRROR "$@" PARTORY_APT_DIR="$work/$name" "$tool" 2>/dev/null) || got=FAIL
    if [[ "$got" == "$want" ]]; then
        echo "ok: $name -> $got"
    else
        echo "FAILED: $name gave '$got', expected '$want'"
        failed=1
    fi
}
folder() { mkdir -p "$work/$1/sources.list.d"; }

# deb822, as Debian 12 installs it: the security archive first, sources and a disabled entry.
folder deb822
cat >"$work/deb822/sources.list.d/debian.sources" <<'END'
# Security first, as some installers write it.
Types: deb
URIs: http://security.example/debian-security
Suites: bookworm-security
Components: main

Types: deb
URIs: http://disabled.example/debian
Suites: bookworm
Components: main
Enabled: no

Types: deb-src
URIs: http://source.example/debian
Suites: bookworm
Components: main

Types: deb deb-src
URIs: http://archive.example/debian/
Suites: bookworm bookworm-updates
Components: main contrib
END
expect deb822 http://archive.example/debian
expect deb822 http://override.example/debian DEBIAN_MIRROR=http://override.example/debian

# The one-line form, with options, after a contrib-only and an updates line.
folder list
cat >"$work/list/sources.list" <<'END'
deb http://contrib.example/debian bookworm contrib
deb http://updates.example/debian bookworm-updates main
# deb http://commented.example/debian bookworm main
deb [arch=amd64 signed-by=/usr/share/keyrings/k.gpg] http://line.example/debian bookworm main
END
expect list http://line.example/debian

# Nothing for bookworm main: no guess.
folder none
echo "deb http://old.example/debian bullseye main" >"$work/none/sources.list"
expect none FAIL
exit $failed
