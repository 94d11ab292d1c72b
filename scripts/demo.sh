#!/usr/bin/env bash
# Installs what is missing, builds the control program and the stand-in board, starts the board
# (UDP on 127.0.0.1:6767 and a pseudo-terminal linked at demo/ttyCORVANE), then runs the program
# in ./demo (its working directory). The board stops when the program ends.
#
# Extra board options (faults to rehearse) can be given in CORVANE_BOARD_ARGS, for example
#   CORVANE_BOARD_ARGS="--split 8 --noise" bash scripts/demo.sh
#
# Where the board listens on UDP, when 127.0.0.1:6767 is taken:
#   --address ADDR (or CORVANE_DEMO_ADDRESS)  another loopback address, such as 127.0.0.2; the
#                                             program's UDP dialog aims at it on a first run
#   --port PORT (or CORVANE_DEMO_PORT)        another port; the program's own UDP link always
#                                             sends to port 6767, so it then reaches this board
#                                             over RS232 only (corvane-ctl --udp ADDR:PORT works)
# The board's trace of every received frame is appended to demo/board-trace.log; what it says
# about itself goes to demo/board.log.
set -euo pipefail
board_address=${CORVANE_DEMO_ADDRESS:-127.0.0.1}
board_port=${CORVANE_DEMO_PORT:-6767}
while [ $# -gt 0 ]; do
    case "$1" in
        --address) board_address=${2:?--address needs an address}; shift 2 ;;
        --address=*) board_address=${1#*=}; shift ;;
        --port) board_port=${2:?--port needs a port number}; shift 2 ;;
        --port=*) board_port=${1#*=}; shift ;;
        *) echo "demo.sh: unknown option $1 (--address ADDR, --port PORT)" >&2; exit 2 ;;
    esac
done
if ! [[ "$board_port" =~ ^[0-9]+$ ]] || [ "$board_port" -lt 1 ] || [ "$board_port" -gt 65535 ]; then
    echo "demo.sh: the port is a number from 1 to 65535, not '$board_port'" >&2
    exit 2
fi
case "$board_address" in
    127.*) ;;
    *) echo "demo.sh: the stand-in board listens on a loopback address (127.x.y.z), not" \
            "'$board_address'" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target corvane-control corvane-board
mkdir -p demo
cd demo
demo_dir=$(pwd)
link="$demo_dir/ttyCORVANE"

# Settings files, only where absent (the program rewrites them from its dialogs, and a second run
# keeps what the operator chose).
[ -e udpf.ini ] || printf '127.0.0.1\r\n%s\r\n8070\r\n' "$board_address" > udpf.ini
board_line=$(sed -n 2p udpf.ini | tr -d '\r')
if [ "$board_line" != "$board_address" ]; then
    echo "Note: demo/udpf.ini aims UDP at '$board_line'; the board listens on $board_address" \
         "(delete demo/udpf.ini to have it written again)." >&2
fi
if [ "$board_port" != 6767 ]; then
    echo "Note: the program's UDP link sends to port 6767 only; with the board on port" \
         "$board_port it reaches the board over RS232 (or use --address 127.0.0.2 instead)." >&2
fi
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
../build/sim/corvane-board --udp "$board_address:$board_port" --pty "$link" \
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
        echo "UDP port $board_port on $board_address is already in use, so the stand-in board" \
             "cannot listen there. Another corvane-board (an earlier demo still running?) or" \
             "another program holds it:" >&2
        if command -v ss >/dev/null; then
            ss -Hulpn "sport = :$board_port" >&2 || true
        fi
        echo "Stop that program and run the demo again, or put the board elsewhere:" \
             "bash scripts/demo.sh --address 127.0.0.2" >&2
    else
        echo "corvane-board did not start:" >&2
        cat board.log >&2
    fi
    exit 1
fi
echo "Stand-in board: UDP $board_address:$board_port, serial port $link;" \
     "trace in demo/board-trace.log. What it holds now:" \
     "build/sim/corvane-board --state --udp $board_address:$board_port"

# Waited for in the background, so that Ctrl+C or a TERM to this script ends both at once.
../build/src/corvane-control &
app_pid=$!
wait "$app_pid"
