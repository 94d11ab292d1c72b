#include "options.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace corvane_board {

namespace {

std::optional<long> toNumber(const std::string& text, long min, long max) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<std::pair<std::string, std::string>> splitPair(const std::string& text) {
    const auto comma = text.find(',');
    if (comma == std::string::npos || text.find(',', comma + 1) != std::string::npos)
        return std::nullopt;
    return std::make_pair(text.substr(0, comma), text.substr(comma + 1));
}

// One or two hex digits, returned as two upper-case digits.
std::optional<std::string> hexByte(const std::string& text) {
    if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c));
        }))
        return std::nullopt;
    std::string out = text.size() == 1 ? "0" + text : text;
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

std::variant<Options, std::string> parseOptions(const std::vector<std::string>& args) {
    Options o;
    bool udpGiven = false;
    bool modulesGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        auto value = [&]() -> std::optional<std::string> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < args.size())
                return args[++i];
            return std::nullopt;
        };
        auto flag = [&]() { return !inlineValue.has_value(); };

        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--state" && flag()) {
            o.state = true;
        } else if (name == "--udp") {
            const auto v = value();
            const auto colon = v ? v->rfind(':') : std::string::npos;
            if (!v || colon == std::string::npos || colon == 0)
                return std::string("--udp needs ADDRESS:PORT");
            const auto port = toNumber(v->substr(colon + 1), 0, 65535);
            if (!port)
                return "--udp: bad port in " + *v;
            o.udpAddress = v->substr(0, colon);
            o.udpPort = static_cast<std::uint16_t>(*port);
            o.udp = true;
            udpGiven = true;
        } else if (name == "--udp-port") {
            const auto v = value();
            const auto port = v ? toNumber(*v, 0, 65535) : std::nullopt;
            if (!port)
                return std::string("--udp-port needs a port number 0 to 65535");
            o.udpPort = static_cast<std::uint16_t>(*port);
            o.udp = true;
            udpGiven = true;
        } else if (name == "--no-udp" && flag()) {
            o.udp = false;
        } else if (name == "--pty") {
            const auto v = value();
            if (!v || v->empty())
                return std::string("--pty needs a link name");
            o.ptyLink = *v;
        } else if (name == "--variant") {
            const auto v = value();
            if (v == "full")
                o.variant = Variant::Full;
            else if (v == "lumo")
                o.variant = Variant::Lumo;
            else
                return std::string("--variant is full or lumo");
        } else if (name == "--modules") {
            const auto v = value();
            const auto pair = v ? splitPair(*v) : std::nullopt;
            const auto m11 = pair ? moduleFromName(pair->first) : std::nullopt;
            const auto m12 = pair ? moduleFromName(pair->second) : std::nullopt;
            if (!m11 || !m12)
                return std::string("--modules needs two of SDI, Analog, HDMI, None, as M11,M12");
            o.module11 = *m11;
            o.module12 = *m12;
            modulesGiven = true;
        } else if (name == "--detected") {
            const auto v = value();
            const auto pair = v ? splitPair(*v) : std::nullopt;
            const auto d11 = pair ? hexByte(pair->first) : std::nullopt;
            const auto d12 = pair ? hexByte(pair->second) : std::nullopt;
            if (!d11 || !d12)
                return std::string("--detected needs two hexadecimal bytes, as HEX,HEX");
            o.detected11 = *d11;
            o.detected12 = *d12;
        } else if (name == "--client") {
            const auto v = value();
            if (v == "1" || v == "connected")
                o.client = ClientState::Connected;
            else if (v == "0" || v == "disconnected")
                o.client = ClientState::Disconnected;
            else if (v == "none")
                o.client = ClientState::Unknown;
            else
                return std::string("--client is 1, 0 or none");
        } else if (name == "--firmware") {
            const auto v = value();
            if (!v || v->size() > 200 || v->find("AA") != std::string::npos ||
                !std::all_of(v->begin(), v->end(), [](char c) { return c >= 0x20 && c < 0x7f; }))
                return std::string(
                    "--firmware needs printable text of at most 200 characters without \"AA\"");
            o.firmware = *v;
        } else if (name == "--silent" && flag()) {
            o.faults.silent = true;
        } else if (name == "--strict" && flag()) {
            o.faults.strict = true;
        } else if (name == "--start-error") {
            const auto v = value();
            if (v == "11")
                o.faults.startError = 11;
            else if (v == "12")
                o.faults.startError = 12;
            else
                return std::string("--start-error is 11 or 12");
        } else if (name == "--delay") {
            const auto v = value();
            const auto ms = v ? toNumber(*v, 0, 600000) : std::nullopt;
            if (!ms)
                return std::string("--delay needs milliseconds, 0 to 600000");
            o.delayMs = static_cast<int>(*ms);
        } else if (name == "--split") {
            const auto v = value();
            const auto n = v ? toNumber(*v, 0, 100000) : std::nullopt;
            if (!n)
                return std::string("--split needs a piece size, 0 to 100000");
            o.split = static_cast<int>(*n);
        } else if (name == "--split-gap") {
            const auto v = value();
            const auto ms = v ? toNumber(*v, 0, 60000) : std::nullopt;
            if (!ms)
                return std::string("--split-gap needs milliseconds, 0 to 60000");
            o.splitGapMs = static_cast<int>(*ms);
        } else if (name == "--noise" && flag()) {
            o.noise = true;
        } else if (name == "--noise-seed") {
            const auto v = value();
            const auto n = v ? toNumber(*v, 1, 4294967295L) : std::nullopt;
            if (!n)
                return std::string("--noise-seed needs a number 1 to 4294967295");
            o.noiseSeed = static_cast<std::uint32_t>(*n);
        } else if (name == "--trace") {
            const auto v = value();
            if (!v || v->empty())
                return std::string("--trace needs a file name");
            o.traceFile = *v;
        } else {
            return "unknown option " + args[i] + " (see --help)";
        }
    }
    if (udpGiven && !o.udp)
        return std::string("--no-udp contradicts --udp / --udp-port");
    if (o.state && !o.udp)
        return std::string("--state asks over UDP: it contradicts --no-udp");
    if (!o.help && !o.udp && o.ptyLink.empty())
        return std::string("nothing to listen on: --no-udp without --pty");
    if (!modulesGiven && o.variant == Variant::Lumo) {
        o.module11 = Module::Sdi;
        o.module12 = Module::Hdmi;
    }
    return o;
}

BoardState initialState(const Options& o) {
    BoardState s = makeState(o.variant, o.module11, o.module12);
    if (!o.detected11.empty())
        s.detected11 = o.detected11;
    if (!o.detected12.empty())
        s.detected12 = o.detected12;
    s.client = o.client;
    if (!o.firmware.empty())
        s.firmware = o.firmware;
    return s;
}

std::string helpText() {
    return R"HELP(Usage: corvane-board [OPTIONS]

A stand-in for the Corvane encoder board. It answers command frames
("A5" + two length digits + two code digits + value + CR) over UDP and over a
pseudo-terminal at the same time, keeps a whole board configuration, and can
rehearse the faults operators meet on real links.

Links:
  --udp ADDR:PORT     listen for command datagrams on ADDR:PORT
                      (default 127.0.0.1:6767; port 0 picks a free port).
                      Each command datagram gets exactly one reply datagram,
                      sent to its sender; an empty datagram gets none.
                      A datagram carries one frame: the text before its
                      first CR; anything after it is traced and ignored.
  --udp-port PORT     the same on 127.0.0.1 (or the --udp address).
  --no-udp            no UDP link (then --pty is needed).
  --pty LINKNAME      open a pseudo-terminal (raw mode) and make LINKNAME a
                      symbolic link to its device; the control program opens
                      LINKNAME as its serial port. Command lines end with CR.
                      The link is removed when the board ends.
  The board prints its links on standard error once it listens, e.g.
  "corvane-board: udp 127.0.0.1:6767" and "corvane-board: pty /dev/pts/3 at NAME".

Board:
  --variant full|lumo the board variant (default full). It changes the
                      firmware text and the default modules.
  --modules M11,M12   the modules fitted on channels 11 and 12: SDI, Analog,
                      HDMI or None (default SDI,Analog; lumo: SDI,HDMI). The
                      assembly reply to "76" reports them, and the default
                      sensor inputs and detected formats follow them.
  --detected HEX,HEX  the video formats the board detects on channels 11 and
                      12, one or two hexadecimal digits each, reported by the
                      auto-detection reply to the keep-alive "24". By default
                      the reply names the sensor inputs the board is set to
                      (as the control program reads them: HD SDI 1080P30 0A,
                      Analog PAL 01, HDMI 1080P30 02, No Sensor 00 or 1D),
                      and FF for an input it cannot tell.
  --client 1|0|none   client connection state after the "%" of the
                      auto-detection reply: 1 connected ("1"), 0 disconnected
                      ("2"), none ("f"). Default 1.
  --firmware TEXT     operator text answered to "44" between "A7" and "AA"
                      (default " Corvane firmware 2.3.1 ").

Faults:
  --silent            answer nothing (frames are still traced); the board
                      state does not change. SIGUSR1 toggles silence while
                      the board runs.
  --delay MS          wait MS milliseconds before each reply.
  --split N           write serial replies in pieces of N characters with a
                      pause between them (UDP replies stay whole).
  --split-gap MS      the pause between pieces (default 20).
                      Note: a piece holding "55" while a configuration reply
                      is still incomplete is an acknowledgement to the
                      control program's serial side; the default subnet mask
                      255.255.255.0 in the last field shows that.
  --noise             write a short run of line noise (lower-case letters and
                      non-printing bytes, never a reply marker) on the serial
                      link after every reply.
  --noise-seed N      start value of the noise generator (default 1).
  --start-error 11|12 answer "05" (start streaming) with "991177" + "1" or
                      "2" instead of the acknowledgement "55"; streaming does
                      not start.
  --strict            give no answer to frames whose length digits break the
                      length rules or whose value the board refuses (by
                      default such frames are traced and still answered).

Trace:
  --trace FILE        append the trace to FILE instead of standard output.
  Every received frame is one line: time, link, the frame with CR shown as
  <CR>, LF as <LF>, code 0 as <NUL> and other bytes as <xNN>, then "=>" and
  the reply (or "=> (no answer)"), and notes in brackets (wrong length
  digits, refused values, unknown codes, noise, overlong lines).

Replies:
  "55"                every command without a reply of its own
  "A3" LLL "08" ...   configuration reply to "08": fifty fields each ended by
                      "$", then CR; LLL counts the whole frame; field 9 is
                      the static IP behind the five characters "IPST:"
  "2288" HH "$" HH "$%" S   auto-detection reply to the keep-alive "24"
  "B74D"              probe answer to the bare "64"
  "A8" D "-" D "GG"   assembly reply to "76" (0 None, 1 SDI, 2 HDMI, 3 Analog)
  "A7" text "AA"      firmware text to "44"
  Every set command changes the state it names, so a saved configuration
  reads back with "08". "30" restores the default configuration. While the
  board streams ("05" until "06", "04" or a reboot without auto start),
  field 18 (auto start) of the configuration reply reads "2".

State:
  --state             ask the board already running at the --udp address
                      (default 127.0.0.1:6767) for its configuration and
                      print it as readable lines, "3 stream 11 bit rate: 4000",
                      then end (exit status 1 when it does not answer).
  SIGUSR2             a running board writes its configuration and state as
                      readable lines to its trace.

Bad input never stops the board: unknown codes, wrong lengths, garbage and
lines longer than 4096 characters are traced and ignored or answered.
SIGTERM and SIGINT end it cleanly.

  -h, --help          this text.
)HELP";
}

} // namespace corvane_board
