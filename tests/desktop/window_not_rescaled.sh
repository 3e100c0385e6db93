#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window keeps its 560 x 407 pixels on a screen of twice the usual density:
#     window_not_rescaled.sh <partory>
# The X server advertises Xft.dpi 192, as a desktop set to 200% does. As a control, the same
# program with Qt's scaling asked for explicitly must come up twice as large, which shows that
# the screen setting is really in force.
set -u
partory=$1
for tool in Xvfb xrdb xdotool xwininfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: no $tool (tools/install-deps.sh test installs it)"
        exit 77
    fi
done
work=$(mktemp -d "${TMPDIR:-/tmp}/partory-dpi-XXXXXX")
xvfb=
app=
finish() {
    [[ -n "$app" ]] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
    [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

# -noreset: the resources set below must outlive xrdb's connection.
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp -noreset 3>"$work/display" \
    >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
done
export DISPLAY=":$(tr -d '\n' <"$work/display")"
echo "Xft.dpi: 192" | xrdb -nocpp -merge || exit 1
echo "X server $DISPLAY, $(xrdb -query)"

# size_with <env settings...>: prints the main window's size as WIDTHxHEIGHT.
size_with() {
    env -u QT_ENABLE_HIGHDPI_SCALING -u QT_SCALE_FACTOR -u QT_SCREEN_SCALE_FACTORS \
        QT_QPA_PLATFORM=xcb HOME="$work" XDG_RUNTIME_DIR="$work" "$@" "$partory" \
        >"$work/partory.log" 2>&1 &
    app=$!
    local window=
    for _ in $(seq 300); do
        window=$(xdotool search --onlyvisible --pid "$app" --name '^Partory$' 2>/dev/null | head -1)
        [[ -n "$window" ]] && break
        sleep 0.1
    done
    if [[ -z "$window" ]]; then
        echo "no window; the program said:" >&2
        cat "$work/partory.log" >&2
    else
        sleep 0.3
        xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}'
    fi
    kill "$app" 2>/dev/null
    wait "$app" 2>/dev/null
    app=
}

failed=0
plain=$(size_with)
echo "as started from the desktop: $plain"
[[ "$plain" == "560x407" ]] || failed=1
scaled=$(size_with QT_ENABLE_HIGHDPI_SCALING=1)
echo "with QT_ENABLE_HIGHDPI_SCALING=1: $scaled"
[[ "$scaled" == "1120x814" ]] || failed=1
exit $failed
