#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of a build into a folder of its own and runs lintian on it; any error
# or warning fails:  lintian.sh <cpack> <build>
# Skipped (77) when lintian or the tools CPack needs for a Debian package are missing.
set -u
cpack=$1
build=$2
for tool in lintian dpkg-shlibdeps file; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: no $tool (tools/install-deps.sh test installs it)"
        exit 77
    fi
done

out=$(mktemp -d "${TMPDIR:-/tmp}/partory-lintian-XXXXXX")
trap 'rm -rf "$out"' EXIT
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    echo "FAILED: cpack"
    exit 1
fi
deb=$(echo "$out"/partory_*.deb)
echo "\$ lintian --fail-on error,warning --display-info $(basename "$deb")"
lintian --fail-on error,warning --display-info "$deb"
status=$?
[[ $status -eq 0 ]] && echo "lintian: no error, no warning" || echo "FAILED: lintian ($status)"
exit $status
