#!/usr/bin/env bash
# Takes the README's screenshots again (docs/*.png): the program against the stand-in board on an
# X server of its own (Xvfb) with a small window manager (twm), so that each window carries its
# title bar. Needs no display of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
[ -d build ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target screenshots corvane-board

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb names its display on the given descriptor once it accepts clients.
Xvfb -displayfd 3 -noreset -br -fp built-ins -nolisten tcp -screen 0 1024x900x24 3>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start:"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
# The server's built-in "fixed" font is the only one sure to be there.
# Dialogs are transient windows; they get their title bars too.
printf '%s "fixed"\n' TitleFont ResizeFont MenuFont IconFont IconManagerFont >"$work/twmrc"
printf "DecorateTransients\nRandomPlacement\n" >>"$work/twmrc"
LC_ALL=C twm -f "$work/twmrc" >"$work/twm.log" 2>&1 &
pids+=($!)
sleep 1

QT_QPA_PLATFORM=xcb CORVANE_BOARD="$PWD/build/sim/corvane-board" build/tests/screenshots docs
