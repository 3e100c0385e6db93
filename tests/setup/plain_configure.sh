#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A plain configure where GoogleTest is missing (hidden from CMake) must still succeed and give
# the program, leaving the tests out with a warning.  plain_configure.sh <source> <cmake>
set -u
source=$1
cmake=$2
build=$(mktemp -d "${TMPDIR:-/tmp}/partory-plain-XXXXXX")
trap 'rm -rf "$build"' EXIT
if ! "$cmake" -S "$source" -B "$build" -G Ninja -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
    >"$build/configure.log" 2>&1; then
    cat "$build/configure.log"
    echo "FAILED: configure without GoogleTest"
    exit 1
fi
failed=0
grep -q "the tests are left out" "$build/configure.log" ||
    { echo "FAILED: no warning that the tests are left out"; failed=1; }
targets=$(ninja -C "$build" -t targets all)
grep -q '^partory:' <<<"$targets" || { echo "FAILED: no target for the program"; failed=1; }
if grep -qE '^(test_|tst_)[a-z_]*:' <<<"$targets"; then
    echo "FAILED: test targets configured without GoogleTest"
    failed=1
fi
[[ $failed -eq 0 ]] && echo "configured without GoogleTest: the program, no test"
exit $failed
