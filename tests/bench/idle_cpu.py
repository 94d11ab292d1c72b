#!/usr/bin/python3
"""What the program costs while the link idles: the share of one core it uses between keep-alives.

Starts an X server of its own (Xvfb), the stand-in board and the program (as window_ping.py does),
connects over the chosen link and reads the board's configuration, then leaves the program alone
for the measured time with only its keep-alive (every 5 s) talking to the board, once with the
link monitor closed and once with it open (Ctrl+L). The program's CPU time over that time is read
from /proc: the scheduler's run time of all its threads (nanoseconds) and utime + stime (clock
ticks). Prints both as a percentage of one core.

Needs python3-xlib (Debian), Xvfb and a build with corvane-control and corvane-board:
    /usr/bin/python3 tests/bench/idle_cpu.py --build build [--link udp|serial] [--seconds N]
"""

import argparse
import os
import shutil
import signal
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import window_ping  # noqa: E402
from Xlib import X, XK  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def cpu(pid):
    """(run time of all threads in ns, utime + stime in ticks)"""
    ns = 0
    task = "/proc/%d/task" % pid
    for tid in os.listdir(task):
        try:
            with open(os.path.join(task, tid, "schedstat")) as f:
                ns += int(f.read().split()[0])
        except OSError:
            pass  # a thread that ended meanwhile
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return ns, int(fields[11]) + int(fields[12])


def ctrl_l(session):
    d = session.d
    session.win.set_input_focus(X.RevertToParent, X.CurrentTime)
    control = d.keysym_to_keycode(XK.string_to_keysym("Control_L"))
    ell = d.keysym_to_keycode(XK.string_to_keysym("l"))
    xtest.fake_input(d, X.KeyPress, control)
    xtest.fake_input(d, X.KeyPress, ell)
    xtest.fake_input(d, X.KeyRelease, ell)
    xtest.fake_input(d, X.KeyRelease, control)
    d.flush()


def keep_alives(session):
    return sum(1 for line in session.trace_lines() if "A50224" in line)


def measure(session, name, seconds):
    session.wait(6.0)  # past the next keep-alive, and anything the last action left
    heard = keep_alives(session)
    ns0, ticks0 = cpu(session.program.pid)
    started = time.monotonic()
    session.wait(seconds)
    elapsed = time.monotonic() - started
    ns1, ticks1 = cpu(session.program.pid)
    if session.program.poll() is not None:
        raise window_ping.Failure("the program ended during the idle time")
    run = (ns1 - ns0) / 1e9 / elapsed * 100
    ticked = (ticks1 - ticks0) / TICKS / elapsed * 100
    print("  %-16s %7.0f s %5d keep-alives   %.4f %% of a core (run time), %.3f %% "
          "(utime+stime)" % (name, elapsed, keep_alives(session) - heard, run, ticked))
    sys.stdout.flush()
    return run


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default="build", help="the build folder (default: build)")
    parser.add_argument("--link", choices=("udp", "serial"), default="udp")
    parser.add_argument("--seconds", type=float, default=120.0,
                        help="idle time measured per state (default: 120)")
    parser.add_argument("--keep", action="store_true", help="keep the working folder")
    args = parser.parse_args()
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    args.build = os.path.abspath(args.build)
    # window_ping's Session reads these.
    args.interval = 20.0
    if not shutil.which("Xvfb"):
        sys.exit("idle_cpu: Xvfb is missing")
    work = tempfile.mkdtemp(prefix="idle-cpu-")
    session = None
    try:
        session = window_ping.Session(args, args.link, work)
        session.start()
        session.connect()
        print("%s link, load %s" % (args.link, window_ping.load()))
        measure(session, "monitor closed", args.seconds)
        ctrl_l(session)
        session.wait(1.0)
        titles = [session.title(w) for w in session.program_windows()]
        if "Link Monitor" not in titles:
            raise window_ping.Failure("the link monitor did not open (windows: %s)" % titles)
        measure(session, "monitor open", args.seconds)
    except window_ping.Failure as e:
        print("idle_cpu: %s" % e, file=sys.stderr)
        args.keep = True
        return 2
    finally:
        if session:
            session.close()
        if args.keep:
            print("working folder kept: %s" % work)
        else:
            shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
