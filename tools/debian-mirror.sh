#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prints the Debian archive this machine's APT already uses for bookworm main, so that a root made
# with debootstrap comes from the same place (and the project names no mirror of its own).
# DEBIAN_MIRROR, when set, wins. Reads /etc/apt/sources.list.d/*.sources (deb822) first, then
# sources.list and *.list; fails when no entry fits.
set -euo pipefail
suite=${1:-bookworm}
if [[ -n "${DEBIAN_MIRROR:-}" ]]; then
    echo "$DEBIAN_MIRROR"
    exit 0
fi
apt=${PARTORY_APT_DIR:-/etc/apt}

# deb822: the first paragraph of type deb whose suites hold the suite and components hold main.
from_deb822() {
    awk -v suite="$suite" '
        function check() {
            if (types ~ /(^| )deb( |$)/ && suites ~ ("(^| )" suite "( |$)") &&
                comps ~ /(^| )main( |$)/ && uri != "" && enabled != "no") { print uri; found = 1; exit }
        }
        function reset() { types = suites = comps = uri = ""; enabled = "yes" }
        BEGIN { reset() }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { check(); reset(); next }
        tolower($1) == "types:" { $1 = ""; types = $0 " " }
        tolower($1) == "uris:" { uri = $2 }
        tolower($1) == "suites:" { $1 = ""; suites = $0 " " }
        tolower($1) == "components:" { $1 = ""; comps = $0 " " }
        tolower($1) == "enabled:" { enabled = tolower($2) }
        END { if (!found) check() }
    ' "$@"
}
# One-line form: deb [options] uri suite components...
from_list() {
    awk -v suite="$suite" '
        $1 != "deb" { next }
        { i = 2; if ($i ~ /^\[/) { while ($i !~ /\]$/) i++; i++ } }
        $(i + 1) == suite { for (c = i + 2; c <= NF; c++) if ($c == "main") { print $i; exit } }
    ' "$@"
}

mirror=""
shopt -s nullglob
for file in "$apt"/sources.list.d/*.sources; do
    mirror=$(from_deb822 "$file")
    [[ -n "$mirror" ]] && break
done
if [[ -z "$mirror" ]]; then
    for file in "$apt"/sources.list "$apt"/sources.list.d/*.list; do
        [[ -f "$file" ]] || continue
        mirror=$(from_list "$file")
        [[ -n "$mirror" ]] && break
    done
fi
if [[ -z "$mirror" ]]; then
    echo "no Debian $suite main archive in $apt's sources: set DEBIAN_MIRROR" >&2
    exit 1
fi
echo "${mirror%/}"
