#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs inside the package test's Debian root: starts the installed /usr/bin/partory under Xvfb
# and openbox and divides a file through its window with real clicks and key presses, as a
# user would: Next, the source path, the folder, the name template, Start, then Finish.
set -euo pipefail
work=/root/work
mkdir -p "$work/parts"
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done' EXIT

Xvfb :5 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
export DISPLAY=:5
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

head -c 5000 /dev/urandom >"$work/source.bin"
QT_QPA_PLATFORM=xcb /usr/bin/partory >"$work/partory.log" 2>&1 &
app=$!
pids+=($app)
fail() {
    echo "FAILED: $*"
    echo "-- partory said:"
    cat "$work/partory.log"
    exit 1
}
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Partory$' | head -1) ||
    fail "no window named Partory"
size=$(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
echo "window \"Partory\" is up ($window, $size)"
[[ "$size" == "560x407" ]] || fail "window is $size, expected 560x407"
# Wait until the window has the keyboard focus: typing goes nowhere before that.
for _ in $(seq 100); do [[ $(xdotool getactivewindow 2>/dev/null) == "$window" ]] && break; sleep 0.1; done

next_slot() { xdotool mousemove --window "$window" 502 388 click 1; sleep 1; }
next_slot  # Next: the divide page, the focus in the source field
xdotool type --delay 30 "$work/source.bin"
xdotool key Tab
xdotool type --delay 30 "$work/parts"
xdotool key Tab Tab Tab  # past the size (1.00 Kbytes) and its unit to the name template
xdotool type --delay 30 "PART_[COUNTER]"
next_slot  # Start
for _ in $(seq 100); do [[ -f "$work/parts/PART_5" ]] && break; sleep 0.1; done
ls "$work/parts"
[[ $(ls "$work/parts" | wc -l) -eq 5 ]] || fail "expected the parts PART_1 to PART_5"
for p in 1 2 3 4; do
    [[ $(stat -c %s "$work/parts/PART_$p") -eq 1024 ]] || fail "PART_$p is not 1024 bytes"
done
cat "$work/parts"/PART_{1,2,3,4,5} | cmp - "$work/source.bin" || fail "the parts differ from the source"
echo "divided: 5 parts of 1 KiB, together the source byte for byte"

next_slot  # Finish, shown only on the completion page, ends the program
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "the program did not end on Finish"
wait "$app" || fail "the program ended with an error"
echo "Finish ended the program"
