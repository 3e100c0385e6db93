#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Validates the desktop entry and the AppStream metadata:  validate.sh <packaging folder> <build>
# First the files alone, then as a staged install of the build puts them (validate-tree also
# checks that the metadata's desktop entry is installed beside it). Any error, warning, info or
# hint fails; only AppStream's pedantic notes, which it does not show, pass. Skipped (77) when
# the validators are missing.
set -u
here=$1
build=$2
id=org.partory_app.Partory
for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: no $tool (tools/install-deps.sh test installs it)"
        exit 77
    fi
done

failed=0
# run <command...>: shows what it printed; fails on a non-zero exit or on any reported issue.
run() {
    local out status
    out=$("$@" 2>&1)
    status=$?
    echo "\$ $*"
    [[ -n "$out" ]] && echo "$out"
    if [[ $status -ne 0 ]] || grep -qE '^(E|W|I): |error|warning|hint' <<<"$out"; then
        echo "FAILED"
        failed=1
    fi
}

run desktop-file-validate "$here/$id.desktop"
run appstreamcli validate --no-net "$here/$id.metainfo.xml"

stage=$(mktemp -d "${TMPDIR:-/tmp}/partory-stage-XXXXXX")
trap 'rm -rf "$stage"' EXIT
if DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null; then
    run desktop-file-validate "$stage/usr/share/applications/$id.desktop"
    run appstreamcli validate-tree --no-net "$stage"
    for size in 16 32 48 64 128 256; do
        icon="$stage/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
        if [[ ! -f "$icon" ]]; then
            echo "missing: $icon"
            failed=1
        fi
    done
else
    echo "FAILED: staged install of $build"
    failed=1
fi
exit $failed
