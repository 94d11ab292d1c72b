#!/usr/bin/env bash
# corvane-ctl --boards against three stand-in boards at once, compared with one board alone:
# "save" of a whole configuration (its paced sequence takes seconds), median of 5 runs each.
# The ratio should stay below 1.5: the boards run side by side, not one after the other.
#
#   bash tests/bench/boards_bench.sh [build folder]
set -euo pipefail
build=${1:-build}
ctl="$build/src/corvane-ctl"
board="$build/sim/corvane-board"
tmp=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

ports=()
for i in 1 2 3; do
    "$board" --udp 127.0.0.1:0 --pty "$tmp/tty$i" >/dev/null 2>"$tmp/board$i.err" &
    pids+=($!)
done
for i in 1 2 3; do
    for _ in $(seq 50); do
        grep -q "udp 127.0.0.1:" "$tmp/board$i.err" && break
        sleep 0.1
    done
    ports+=("$(grep -o 'udp 127.0.0.1:[0-9]*' "$tmp/board$i.err" | cut -d: -f2)")
done
"$ctl" --udp "127.0.0.1:${ports[0]}" read >"$tmp/config"
for p in "${ports[@]}"; do echo "--udp 127.0.0.1:$p"; done >"$tmp/boards"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
time_ms() {
    local start end
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}
one=$(for _ in 1 2 3 4 5; do time_ms "$ctl" --udp "127.0.0.1:${ports[0]}" save "$tmp/config"; done | median)
three=$(for _ in 1 2 3 4 5; do time_ms "$ctl" --boards "$tmp/boards" save "$tmp/config"; done | median)
echo "one board: ${one} ms; three boards (--boards): ${three} ms; ratio $(awk -v a="$three" -v b="$one" 'BEGIN {printf "%.2f", a / b}')"
