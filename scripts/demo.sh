#!/usr/bin/env bash
# Installs what is missing, builds the control program and the stand-in board, starts the board
# (UDP on 127.0.0.1:6767 and a pseudo-terminal linked at demo/ttyCORVANE), then runs the program
# in ./demo (its working directory). The board stops when the program ends.
#
# Extra board options (faults to rehearse) can be given in CORVANE_BOARD_ARGS, for example
#   CORVANE_BOARD_ARGS="--split 8 --noise" bash scripts/demo.sh
# The board's trace of every received frame is appended to demo/board-trace.log; what it says
# about itself goes to demo/board.log.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target corvane-control corvane-board
mkdir -p demo
cd demo
demo_dir=$(pwd)
board_port=6767
link="$demo_dir/ttyCORVANE"

# Settings files, only where absent (the program rewrites them from its dialogs, and a second run
# keeps what the operator chose).
[ -e udpf.ini ] || printf '127.0.0.1\r\n127.0.0.1\r\n8070\r\n' > udpf.ini
[ -e brdf.ini ] || printf 'Corvane\r\n' > brdf.ini
# Serial settings pointing at the board's pseudo-terminal (an absolute path, used as is).
[ -e conf.ini ] || printf '[ComPort1]\r\nPort=%s\r\nBaudRate=115200\r\nStopBits=1\r\nDataBits=8\r\nParity=None\r\nFlowControl=None\r\n' \
    "$link" > conf.ini
port_line=$(grep -a '^Port=' conf.ini | head -n 1 | tr -d '\r' || true)
if [ "$port_line" != "Port=$link" ]; then
    echo "Note: demo/conf.ini names the serial port '${port_line#Port=}'; the board's is $link" \
         "(delete demo/conf.ini to have it written again)." >&2
fi

# A board.log of an earlier run must not pass for this run's.
rm -f board.log
# shellcheck disable=SC2086
../build/sim/corvane-board --udp "127.0.0.1:$board_port" --pty "$link" \
    --trace "$demo_dir/board-trace.log" ${CORVANE_BOARD_ARGS:-} 2> board.log &
board_pid=$!
app_pid=
stop_all() {
    if [ -n "$app_pid" ]; then
        kill -TERM "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    kill -TERM "$board_pid" 2>/dev/null || true
    wait "$board_pid" 2>/dev/null || true
}
trap stop_all EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Wait until the board listens (it names its pseudo-terminal on standard error last).
listening=no
for _ in $(seq 50); do
    if grep -q ' at ' board.log 2>/dev/null; then
        listening=yes
        break
    fi
    if ! kill -0 "$board_pid" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
if [ "$listening" != yes ]; then
    if grep -q 'Address already in use' board.log 2>/dev/null; then
        echo "UDP port $board_port on 127.0.0.1 is already in use, so the stand-in board cannot" \
             "listen there. Another corvane-board (an earlier demo still running?) or another" \
             "program holds it:" >&2
        if command -v ss >/dev/null; then
            ss -Hulpn "sport = :$board_port" >&2 || true
        fi
        echo "Stop that program and run the demo again." >&2
    else
        echo "corvane-board did not start:" >&2
        cat board.log >&2
    fi
    exit 1
fi
echo "Stand-in board: UDP 127.0.0.1:$board_port, serial port $link;" \
     "trace in demo/board-trace.log."

# Waited for in the background, so that Ctrl+C or a TERM to this script ends both at once.
../build/src/corvane-control &
app_pid=$!
wait "$app_pid"
