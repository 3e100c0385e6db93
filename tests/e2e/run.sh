#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The end-to-end suite of the real window:  run.sh <partory> <e2e_xshot> <shots folder>
# PARTORY_E2E_DRIVER names another driver of this folder (drive.py by default); each runs with
# the system's python3, which has the Debian packages' modules. The driver starts and ends its
# own X server, window manager and program (which also die with it, however it ends); this
# script owns the scratch folder, and passes a signal that ends it on to the driver so that
# the driver can clean up first.
set -u
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/partory-e2e-XXXXXX")
driver=
finish() {
    [[ -n "$driver" ]] && kill -TERM "$driver" 2>/dev/null && wait "$driver"
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 143' INT TERM HUP
python=python3
[[ -x /usr/bin/python3 ]] && python=/usr/bin/python3
PARTORY_E2E_WORK="$work" "$python" "$here/${PARTORY_E2E_DRIVER:-drive.py}" "$@" &
driver=$!
wait "$driver"
status=$?
driver=
exit "$status"
