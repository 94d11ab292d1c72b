#!/usr/bin/python3
"""How fast the main window answers the window manager's ping while the board link works.

Starts an X server of its own (Xvfb), the stand-in board and the program, then sends the main
window a _NET_WM_PING every 20 ms (as a window manager does to find a hung window) while the
operator's clicks run the board sequences: "Read Config.", "Save Config." with the board
answering (not streaming, and streaming, which stops and restarts the stream and nudges the
player), "Start Stream", "Stop Stream", and "Read Config." to a board that has gone silent. Every
ping's round trip is recorded from the click until the sequence has ended (the status bar's
progress and "Cancel" are gone again); a ping never answered counts as lost. Prints the count,
median, p99 and maximum per sequence and a pass/fail line against the limit (100 ms).

Needs python3-xlib (Debian), Xvfb and a build with corvane-control and corvane-board:
    /usr/bin/python3 tests/bench/window_ping.py --build build [--link udp|serial|both] [--runs N]
"""

import argparse
import os
import select
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, XK, Xatom, display, error, protocol
from Xlib.ext import xtest

# The player's window title that the program looks for after restarting a stream.
PLAYER_TITLE = "Halvern Player"
# Places in the main window from the central widget's corner (the window's controls have fixed
# geometry). Panel1, the main buttons, is painted in this colour.
PANEL1_RGB = (192, 220, 192)
PANEL1_AT = (86, 0)
READ_AT = (86 + 6 + 41, 10 + 15)
SAVE_AT = (86 + 90 + 41, 10 + 15)
START_AT = (86 + 174 + 41, 10 + 15)
STOP_AT = (86 + 258 + 41, 10 + 15)
# The interface boxes.
UDP_BOX_AT = (8 + 4 + 8 + 10, 56 + 4 + 20 + 9)
RS232_BOX_AT = (8 + 12 + 10, 56 + 50 + 9)


class Failure(Exception):
    pass


def free_udp_port(address):
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind((address, 0))
        return s.getsockname()[1]


def board_address():
    """A loopback address whose port 6767 is free (the program always sends to 6767)."""
    for last in range(2, 250):
        address = "127.0.0.%d" % last
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            try:
                s.bind((address, 6767))
                return address
            except OSError:
                continue
    raise Failure("no loopback address has UDP port 6767 free")


def start_xvfb(work):
    read_end, write_end = os.pipe()
    log = open(os.path.join(work, "xvfb.log"), "w")
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-noreset", "-nolisten", "tcp", "-br",
         "-screen", "0", "1024x900x24"],
        pass_fds=(write_end,), stdout=log, stderr=log)
    os.close(write_end)
    ready, _, _ = select.select([read_end], [], [], 10)
    number = os.read(read_end, 64).decode().split() if ready else []
    # Left open while the server runs: it may write its number again, and dies when it cannot.
    proc.displayfd = read_end
    if not number:
        proc.kill()
        raise Failure("Xvfb did not start (see %s/xvfb.log)" % work)
    return proc, ":" + number[0]


class Stats:
    def __init__(self, name):
        self.name = name
        self.rtts = []
        self.lost = 0
        self.seconds = None  # how long the status bar showed the sequence running
        self.notes = []

    def add(self, other):
        self.rtts += other.rtts
        self.lost += other.lost
        if other.seconds is not None:
            self.seconds = max(self.seconds or 0.0, other.seconds)
        self.notes += [n for n in other.notes if n not in self.notes]

    def line(self):
        r = sorted(self.rtts)
        if r:
            p99 = r[max(0, -(-len(r) * 99 // 100) - 1)]
            figures = "%6d %5d %8.1f %8.1f %8.1f" % (
                len(r), self.lost, statistics.median(r), p99, r[-1])
        else:
            figures = "%6d %5d %8s %8s %8s" % (0, self.lost, "-", "-", "-")
        seconds = "%7.1f" % self.seconds if self.seconds is not None else "%7s" % "-"
        return "  %-15s %s %s  %s" % (self.name, figures, seconds, "; ".join(self.notes))

    def worst(self):
        return max(self.rtts) if self.rtts else 0.0


class Session:
    """One program against one stand-in board on one X server, on one link."""

    def __init__(self, args, link, work):
        self.args = args
        self.link = link
        self.work = work
        self.procs = []
        self.program = None
        self.players = []
        self.seq = 0
        self.sent = {}

    def start(self):
        self.xvfb, self.display_name = start_xvfb(self.work)
        self.procs.append(self.xvfb)
        deadline = time.monotonic() + 10
        while True:
            try:
                self.d = display.Display(self.display_name)
                break
            except error.DisplayConnectionError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.1)
        self.root = self.d.screen().root
        # The window answers a ping to the root window for the window manager, which holds the
        # root's SubstructureRedirect. There is none here: this tool takes that part, so it maps
        # and places the program's windows as they ask.
        self.root.change_attributes(
            event_mask=X.SubstructureNotifyMask | X.SubstructureRedirectMask)
        self.atom = lambda name: self.d.intern_atom(name)
        self.WM_PROTOCOLS = self.atom("WM_PROTOCOLS")
        self.PING = self.atom("_NET_WM_PING")
        self.PID = self.atom("_NET_WM_PID")
        self.NET_WM_NAME = self.atom("_NET_WM_NAME")
        self.start_board()
        self.start_program()

    # ---- Processes ----

    def start_board(self):
        self.address = board_address()
        self.tty = os.path.join(self.work, "ttyCORVANE")
        self.trace = os.path.join(self.work, "board-trace.log")
        self.board_log = open(os.path.join(self.work, "board.log"), "w")
        self.board = subprocess.Popen(
            [os.path.join(self.args.build, "sim", "corvane-board"), "--udp",
             self.address + ":6767", "--pty", self.tty, "--trace", self.trace],
            stdout=self.board_log, stderr=self.board_log)
        self.procs.append(self.board)
        deadline = time.monotonic() + 10
        while not os.path.exists(self.tty):
            if self.board.poll() is not None or time.monotonic() > deadline:
                raise Failure("corvane-board did not start (see %s/board.log)" % self.work)
            time.sleep(0.05)

    def start_program(self):
        w = self.work
        with open(os.path.join(w, "udpf.ini"), "w", newline="") as f:
            f.write("127.0.0.1\r\n%s\r\n%d\r\n" % (self.address, free_udp_port("127.0.0.1")))
        with open(os.path.join(w, "brdf.ini"), "w", newline="") as f:
            f.write("Corvane\r\n")
        with open(os.path.join(w, "conf.ini"), "w", newline="") as f:
            f.write("[ComPort1]\r\nPort=%s\r\nBaudRate=115200\r\nStopBits=1\r\nDataBits=8\r\n"
                    "Parity=None\r\nFlowControl=None\r\n" % self.tty)
        env = dict(os.environ, DISPLAY=self.display_name, QT_QPA_PLATFORM="xcb")
        self.program_log = open(os.path.join(w, "program.log"), "w")
        self.program = subprocess.Popen(
            [os.path.join(self.args.build, "src", "corvane-control")], cwd=w, env=env,
            stdout=self.program_log, stderr=self.program_log)
        self.procs.append(self.program)
        deadline = time.monotonic() + 20
        self.win = None
        while self.win is None:
            if self.program.poll() is not None or time.monotonic() > deadline:
                raise Failure("the main window did not appear (see %s/program.log)" % w)
            self.wait(0.1)
            self.win = next((t for t in self.program_windows() if "Corvane" in self.title(t)),
                            None)
        if self.PING not in (self.win.get_wm_protocols() or []):
            raise Failure("the main window does not list _NET_WM_PING in WM_PROTOCOLS")
        self.wait(0.5)  # the first paint
        self.find_panel()

    def close(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.send_signal(signal.SIGCONT)
                proc.terminate()
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        if self.procs:
            os.close(self.xvfb.displayfd)

    # ---- Windows ----

    def title(self, w):
        try:
            p = w.get_full_property(self.NET_WM_NAME, 0)
            if p:
                return p.value.decode("utf-8", "replace")
            return w.get_wm_name() or ""
        except error.XError:
            return ""

    def program_windows(self):
        """The program's viewable top-level windows."""
        found = []
        for w in self.root.query_tree().children:
            try:
                pid = w.get_full_property(self.PID, Xatom.CARDINAL)
                if (pid and pid.value[0] == self.program.pid
                        and w.get_attributes().map_state == X.IsViewable):
                    found.append(w)
            except error.XError:
                pass
        return found

    def pixel_row(self, y, x0, width):
        raw = self.win.get_image(x0, y, width, 1, X.ZPixmap, 0xFFFFFFFF).data
        return [(raw[i + 2], raw[i + 1], raw[i]) for i in range(0, len(raw), 4)]

    def find_panel(self):
        """Where the central widget starts: below the menu bar, found by Panel1's colour."""
        geometry = self.win.get_geometry()
        self.size = (geometry.width, geometry.height)
        x = PANEL1_AT[0] + 300
        for y in range(0, 80):
            if self.pixel_row(y, x, 1)[0] == PANEL1_RGB:
                # The panel's raised frame is one pixel wide.
                self.central_y = y - 1 - PANEL1_AT[1]
                return
        raise Failure("Panel1 was not found in the main window")

    def click(self, at):
        rx, ry = at[0], at[1] + self.central_y
        origin = self.root.translate_coords(self.win, 0, 0)
        xtest.fake_input(self.d, X.MotionNotify, x=rx + origin.x, y=ry + origin.y)
        xtest.fake_input(self.d, X.ButtonPress, 1)
        xtest.fake_input(self.d, X.ButtonRelease, 1)
        self.d.flush()

    def key(self, name, window=None):
        code = self.d.keysym_to_keycode(XK.string_to_keysym(name))
        (window or self.win).set_input_focus(X.RevertToParent, X.CurrentTime)
        xtest.fake_input(self.d, X.KeyPress, code)
        xtest.fake_input(self.d, X.KeyRelease, code)
        self.d.flush()

    def status_corner(self):
        """The right end of the status bar, where the progress and "Cancel" show."""
        w, h = self.size
        return self.win.get_image(w - 110, h - 20, 90, 14, X.ZPixmap, 0xFFFFFFFF).data

    def open_players(self, count):
        screen = self.d.screen()
        for i in range(count):
            w = self.root.create_window(500 + 30 * i, 100 + 30 * i, 320, 240, 0, screen.root_depth,
                                        X.InputOutput, X.CopyFromParent,
                                        background_pixel=screen.black_pixel)
            w.set_wm_name(PLAYER_TITLE)
            w.change_property(self.NET_WM_NAME, self.atom("UTF8_STRING"), 8,
                              PLAYER_TITLE.encode())
            w.map()
            self.players.append(w)
        self.d.sync()

    # ---- Pings ----

    def ping(self):
        self.seq += 1
        event = protocol.event.ClientMessage(
            window=self.win, client_type=self.WM_PROTOCOLS,
            data=(32, [self.PING, X.CurrentTime, self.win.id, self.seq, 0]))
        self.win.send_event(event, event_mask=0)
        self.d.flush()
        self.sent[self.seq] = time.monotonic()
        return self.seq

    def take_events(self, stats=None, counted=()):
        # Ends on a look that sends what is queued and finds nothing more come in: a flush could
        # read a reply into the queue, where select() would not see it.
        while self.d.pending_events():
            self.take_event(self.d.next_event(), stats, counted)

    def take_event(self, e, stats, counted):
        if e.type == X.ClientMessage:
            fmt, data = e.data
            if (e.window.id == self.root.id and e.client_type == self.WM_PROTOCOLS
                    and data[0] == self.PING and data[3] in self.sent):
                rtt = (time.monotonic() - self.sent.pop(data[3])) * 1000
                if stats and data[3] in counted:
                    stats.rtts.append(rtt)
        elif e.type == X.MapRequest:
            e.window.map()
        elif e.type == X.ConfigureRequest:
            fields = {}
            for bit, name in ((X.CWX, "x"), (X.CWY, "y"), (X.CWWidth, "width"),
                              (X.CWHeight, "height"), (X.CWBorderWidth, "border_width"),
                              (X.CWSibling, "sibling"), (X.CWStackMode, "stack_mode")):
                if e.value_mask & bit:
                    fields[name] = getattr(e, "above_sibling" if name == "sibling" else name)
            e.window.configure(**fields)

    def wait(self, seconds):
        """Sleeps while serving the windows' requests."""
        deadline = time.monotonic() + seconds
        while True:
            self.take_events()
            left = deadline - time.monotonic()
            if left <= 0:
                return
            select.select([self.d.fileno()], [], [], left)

    def measure(self, name, action, settle=1.5, cap=60.0):
        """Pings from the action until the sequence it starts has ended."""
        stats = Stats(name)
        heard = len(self.trace_lines())
        self.sent.clear()
        counted = set()
        idle_corner = self.status_corner()
        interval = self.args.interval / 1000.0
        started = time.monotonic()
        action()
        next_ping = started
        next_look = started
        seen_running = False
        # The corner while the sequence runs ("Cancel"): the first change after the click. The
        # sequence has ended once the corner shows anything else, for a sequence's end text may
        # stay in the status bar and reach into the corner.
        running_corner = None
        ended = None
        while True:
            now = time.monotonic()
            if now >= next_look:
                next_look = now + 0.05
                if self.program.poll() is not None:
                    raise Failure("the program ended (exit status %d) during %s" % (
                        self.program.returncode, name))
                corner = self.status_corner()
                if running_corner is None and corner != idle_corner:
                    running_corner = corner
                running = running_corner is not None and corner == running_corner
                seen_running = seen_running or running
                if ended is None and ((seen_running and not running)
                                      or (not seen_running and now - started > settle)):
                    ended = now
                if now - started > cap:
                    stats.notes.append("still running after %.0f s" % cap)
                    ended = ended or now
            if ended is not None:
                break
            if now >= next_ping:
                counted.add(self.ping())
                while next_ping <= now:
                    next_ping += interval
            # Replies that came in with another answer (the status bar's pixels) are queued
            # already: taken first, so that they are not timed only after the next wake-up.
            self.take_events(stats, counted)
            timeout = max(0.0, min(next_ping, next_look) - time.monotonic())
            select.select([self.d.fileno()], [], [], timeout)
            self.take_events(stats, counted)
        if seen_running:
            stats.seconds = ended - started
        # Answers still on their way: a window that holds a ping longer than 1 s has lost it.
        deadline = time.monotonic() + 1.0
        while any(s in self.sent for s in counted) and time.monotonic() < deadline:
            select.select([self.d.fileno()], [], [], 0.02)
            self.take_events(stats, counted)
        stats.lost = sum(1 for s in counted if s in self.sent)
        frames = self.trace_lines()[heard:]
        if name == "save" and any(" A50206<CR>" in line for line in frames):
            stats.name = "save+restart"  # the board streamed: stopped first, started last
        if not frames and name not in ("idle", "read-silent"):
            stats.notes.append("the board heard nothing")
        self.dismiss_boxes(stats)
        return stats

    def dismiss_boxes(self, stats):
        for w in self.program_windows():
            if w.id != self.win.id:
                stats.notes.append("box '%s' closed" % self.title(w))
                self.key("Escape", w)
                self.wait(0.3)

    def trace_lines(self):
        try:
            with open(self.trace, errors="replace") as f:
                return f.readlines()
        except OSError:
            return []

    def connect(self):
        self.click(UDP_BOX_AT if self.link == "udp" else RS232_BOX_AT)
        self.wait(0.3)
        # "Connect " is the menu bar's third entry: Alt, then right twice, then Return.
        for name in ("Alt_L", "Right", "Right", "Return"):
            self.key(name)
            self.wait(0.15)
        self.wait(0.5)
        before = len(self.trace_lines())
        stats = self.measure("read", lambda: self.click(READ_AT))
        if len(self.trace_lines()) <= before:
            raise Failure("the board heard nothing after Connect and Read Config. over %s "
                          "(see %s)" % (self.link, self.work))
        return stats

    def run(self):
        """One pass over the sequences, after connect(); returns their stats in order. A save
        with the board streaming (its configuration says so) restarts the stream."""
        out = [self.measure("idle", lambda: None, settle=2.0)]
        out.append(self.measure("save", lambda: self.click(SAVE_AT)))
        out.append(self.measure("start-stream", lambda: self.click(START_AT)))
        out.append(self.measure("read", lambda: self.click(READ_AT)))
        out.append(self.measure("save", lambda: self.click(SAVE_AT)))
        out.append(self.measure("stop-stream", lambda: self.click(STOP_AT)))
        self.board.send_signal(signal.SIGUSR1)  # silent from now on
        self.wait(0.2)
        out.append(self.measure("read-silent", lambda: self.click(READ_AT)))
        self.board.send_signal(signal.SIGUSR1)  # answering again
        self.wait(0.2)
        return out


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default="build", help="the build folder (default: build)")
    parser.add_argument("--link", choices=("udp", "serial", "both"), default="both")
    parser.add_argument("--runs", type=int, default=3,
                        help="runs per link, each with a fresh X server, board and program")
    parser.add_argument("--interval", type=float, default=20.0, help="ms between pings")
    parser.add_argument("--limit", type=float, default=100.0, help="ms a ping may take")
    parser.add_argument("--players", type=int, default=0,
                        help="player windows to open, which the save with a restart nudges")
    parser.add_argument("--keep", action="store_true", help="keep the working folder")
    args = parser.parse_args()
    # Stopped from outside, it still stops what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    args.build = os.path.abspath(args.build)
    for tool in ("Xvfb",):
        if not shutil.which(tool):
            sys.exit("window_ping: %s is missing" % tool)

    worst = 0.0
    lost = 0
    order = []
    totals = {}
    links = ("udp", "serial") if args.link == "both" else (args.link,)
    header = "  %-15s %6s %5s %8s %8s %8s %7s" % (
        "sequence", "pings", "lost", "median", "p99", "max", "shown")
    for link, run in [(link, run) for link in links for run in range(args.runs)]:
        # Each run starts afresh: X server, board (not streaming) and program.
        work = tempfile.mkdtemp(prefix="window-ping-")
        session = None
        try:
            session = Session(args, link, work)
            session.start()
            session.open_players(args.players)
            print("%s link, run %d, %d player window(s), ping every %g ms, load %s" % (
                link, run + 1, args.players, args.interval, load()))
            print(header + "   (round trips in ms; seconds of progress in the status bar)")
            results = [session.connect()] + session.run()
            for s in results:
                print(s.line())
                key = (link, s.name)
                if key not in totals:
                    totals[key] = Stats(s.name)
                    order.append(key)
                totals[key].add(s)
                worst = max(worst, s.worst())
                lost += s.lost
            sys.stdout.flush()
        except (Failure, error.XError) as e:
            if session and session.program and session.program.poll() is not None:
                e = "the program ended (exit status %d): %s" % (session.program.returncode, e)
            print("window_ping: %s" % e, file=sys.stderr)
            args.keep = True
            return 2
        finally:
            if session:
                session.close()
            if args.keep:
                print("working folder kept: %s" % work)
            else:
                shutil.rmtree(work, ignore_errors=True)
    print("all runs, load %s" % load())
    for key in order:
        print("  %-7s" % key[0] + totals[key].line()[2:])
    verdict = "PASS" if worst <= args.limit and lost == 0 else "FAIL"
    print("%s: longest round trip %.1f ms, %d ping(s) unanswered (limit %g ms)" % (
        verdict, worst, lost, args.limit))
    return 0 if verdict == "PASS" else 1


if __name__ == "__main__":
    sys.exit(main())
