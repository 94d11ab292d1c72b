// Reply scanning and the dispatch order: text in (serial pieces or UDP datagrams), effects out.
#include "core/replies.h"
#include "core/replies_reference.h"
#include "support/bytes.h"

#include <QtTest>

#include <random>

using namespace corvane;
using replies::Effect;
using replies::Step;
using replies::Transport;

Q_DECLARE_METATYPE(replies::Transport)

namespace {

std::string str(const QByteArray& b) {
    return std::string(b.constData(), std::size_t(b.size()));
}

QString render(const Effect& e) {
    auto t = [&](const char* name) {
        return QString::fromLatin1(name) + '(' + QString::fromLatin1(bytes(e.text)) + ')';
    };
    switch (e.kind) {
    case Effect::Kind::SetPanel9:
        return t("Panel9");
    case Effect::Kind::SetReplySeen:
        return "ReplySeen";
    case Effect::Kind::ShowMessage:
        return t("Message");
    case Effect::Kind::FindAssem:
        return t("FindAssem");
    case Effect::Kind::ShowConnected:
        return "Connected";
    case Effect::Kind::DecodeAutRes:
        return t("DecodeAutRes");
    case Effect::Kind::ClearKeepAlivePending:
        return "ClearKeepAlive";
    case Effect::Kind::SetRxFrame:
        return t("RxFrame");
    case Effect::Kind::DecodeConf:
        return t("DecodeConf");
    case Effect::Kind::ShowReady:
        return "READY";
    case Effect::Kind::EnableTimer1:
        return "Timer1";
    }
    return "?";
}

// What a window does with the dispatch: feed each piece, run the steps to the end, apply the
// effects to its flags. Returns one line per piece: "#<step> <effects>" for each step that fired.
struct Window {
    replies::ReceiveBuffer rx;
    replies::DispatchFlags flags;
    QStringList perPiece;

    void receive(Transport t, const QByteArray& piece) {
        if (t == Transport::Serial)
            rx.append(str(piece));
        else
            rx.assign(str(piece));
        QStringList line;
        Step from = Step::StreamStatus;
        while (from != Step::None) {
            const auto out = replies::dispatchStep(rx, t, flags, from);
            if (out.fired != Step::None)
                line << QString("#%1").arg(int(out.fired));
            for (const Effect& e : out.effects) {
                line << render(e);
                if (e.kind == Effect::Kind::ClearKeepAlivePending)
                    flags.keepAlivePending = false;
            }
            from = out.resumeAt;
        }
        perPiece << line.join(' ');
    }
};

// A configuration reply: "A3" + length + "08" + fifty "$"-ended fields + one final character.
QByteArray configurationReply(const QByteArray& subnetMask = "255.255.255.0") {
    QByteArray body = "1920$1080$4000$30$1280$720$2000$25$";
    for (int field = 9; field < 50; ++field)
        body += "1$";
    body += subnetMask + '$';
    const int length = 2 + 3 + 2 + int(body.size()) + 1;
    return "A3" + QByteArray::number(length).rightJustified(3, '0') + "08" + body + 'Z';
}

QByteArray noise(std::size_t size, unsigned seed) {
    // Lots of marker halves ("A", "5", "2", "9", "G", "%") but never a whole marker that fires:
    // "A7" may appear but never "AA", "A8" but never "GG", "2288" but no KeepAlivePending, "A3"
    // followed by non-digits only.
    static const char alphabet[] = "A78G29%1xyB4D3";
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> pick(0, int(sizeof alphabet) - 2);
    QByteArray out;
    out.reserve(qsizetype(size));
    while (std::size_t(out.size()) < size) {
        const char c = alphabet[pick(rng)];
        const char prev = out.isEmpty() ? '\0' : out.back();
        const QByteArray tail = out.right(6) + c;
        if ((prev == 'A' && c == 'A') || (prev == 'G' && c == 'G') || (prev == '5' && c == '5') ||
            tail.endsWith("991177") || tail.endsWith("B74D"))
            continue;
        // "A3" only before letters.
        if (out.size() >= 2 && out.at(out.size() - 2) == 'A' && prev == '3' && c >= '0' && c <= '9')
            continue;
        if (out.size() >= 3 && out.at(out.size() - 3) == 'A' && out.at(out.size() - 2) == '3' &&
            c >= '0' && c <= '9')
            continue;
        out += c;
    }
    return out;
}

} // namespace

class RepliesTest : public QObject {
    Q_OBJECT

private slots:
    void dispatchTable_data();
    void dispatchTable();
    void configurationReplyInPieces_data();
    void configurationReplyInPieces();
    void frameTests_data();
    void frameTests();
    void operatorTextResumesOnTheBufferAsItIsAfterTheBox();
    void nestedAcknowledgementDuringTheBox();
    void noiseKeepsTheNewest64KiBAndStillFindsReplies();
    void incrementalScanAgreesWithAPlainSearch();
    void trimToNewest();
};

void RepliesTest::dispatchTable_data() {
    QTest::addColumn<Transport>("transport");
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<bool>("keepAlivePending");
    QTest::addColumn<bool>("serialPortOpen");
    QTest::addColumn<QStringList>("expected"); // one line per piece
    QTest::addColumn<QByteArray>("bufferAfter");

    const auto S = Transport::Serial;
    const auto U = Transport::Udp;

    // Stream status.
    QTest::newRow("991177 + 2") << S << QByteArrayList{"9911772"} << false << true
                                << QStringList{"#1 Panel9(Error Start Stream 12) ReplySeen"}
                                << QByteArray();
    QTest::newRow("991177 + 1 over UDP")
        << U << QByteArrayList{"xx9911771yy"} << false << false
        << QStringList{"#1 Panel9(Error Start Stream 11) ReplySeen"} << QByteArray();
    QTest::newRow("991177 + other character over UDP")
        << U << QByteArrayList{"9911773"} << false << false << QStringList{"#1 ReplySeen"}
        << QByteArray();
    // Serial: only a status character completes the marker; one cut short takes nothing of the
    // reply behind it.
    QTest::newRow("991177 + other character: no stream status")
        << S << QByteArrayList{"9911773"} << false << true << QStringList{""}
        << QByteArray("9911773");
    QTest::newRow("991177 cut short, then an acknowledgement")
        << S << QByteArrayList{"991177", "55"} << false << true << QStringList{"", "#7 READY"}
        << QByteArray();
    QTest::newRow("991177 cut short, then a keep-alive answer")
        << S << QByteArrayList{"991177", "22882B$01$%1"} << true << true
        << QStringList{"", "#5 Connected DecodeAutRes(99117722882B$01$%1) ClearKeepAlive READY"}
        << QByteArray();
    QTest::newRow("status 2 ahead of a keep-alive answer")
        << S << QByteArrayList{"991177", "22288ab%1"} << true << true
        << QStringList{"", "#1 Panel9(Error Start Stream 12) ReplySeen"} << QByteArray();
    QTest::newRow("22 behind the marker waits for the decision")
        << S << QByteArrayList{"99117722", "x"} << false << true
        << QStringList{"", "#1 Panel9(Error Start Stream 12) ReplySeen"} << QByteArray();
    QTest::newRow("228 behind the marker becomes a keep-alive answer")
        << S << QByteArrayList{"991177228", "8ab%1"} << true << true
        << QStringList{"", "#5 Connected DecodeAutRes(9911772288ab%1) ClearKeepAlive READY"}
        << QByteArray();
    QTest::newRow("a marker cut short does not hide a later stream status")
        << S << QByteArrayList{"991177x", "9911771"} << false << true
        << QStringList{"", "#1 Panel9(Error Start Stream 11) ReplySeen"} << QByteArray();
    QTest::newRow("status character in a later piece is awaited")
        << S << QByteArrayList{"55 991177", "2"} << false << true
        << QStringList{"", "#1 Panel9(Error Start Stream 12) ReplySeen"} << QByteArray();
    QTest::newRow("a datagram ending on the marker has no status character")
        << U << QByteArrayList{"991177"} << false << false << QStringList{"#1 ReplySeen"}
        << QByteArray();
    QTest::newRow("stream status before acknowledgement")
        << S << QByteArrayList{"55 9911771"} << false << true
        << QStringList{"#1 Panel9(Error Start Stream 11) ReplySeen"} << QByteArray();

    // Probe answer.
    QTest::newRow("B74D with 55: probe step, no READY")
        << S << QByteArrayList{"B74D55"} << false << true << QStringList{"#2 ReplySeen"}
        << QByteArray();
    QTest::newRow("B74D over UDP: no probe step, 55 acknowledges")
        << U << QByteArrayList{"B74D55"} << false << false << QStringList{"#7 READY"}
        << QByteArray();
    QTest::newRow("B74D over UDP stays until the next datagram")
        << U << QByteArrayList{"B74D", "zz"} << false << false << QStringList{"", ""}
        << QByteArray("zz");

    // Operator text.
    QTest::newRow("operator text")
        << S << QByteArrayList{"A7Version 2.1", "AAtail"} << false << true
        << QStringList{"", "#3 Message(A7Version 2.1) READY"} << QByteArray();
    QTest::newRow("AA before A7 gives an empty message")
        << S << QByteArrayList{"xxAAyyA7zz"} << false << true << QStringList{"#3 Message() READY"}
        << QByteArray();
    QTest::newRow("operator text wins over an acknowledgement")
        << U << QByteArrayList{"55A7hiAA"} << false << false
        << QStringList{"#3 Message(A7hi) READY"} << QByteArray();

    // Assembly reply.
    QTest::newRow("assembly") << S << QByteArrayList{"A8", "1x2GG!"} << false << true
                              << QStringList{"", "#4 FindAssem(A81x2) READY"} << QByteArray();
    QTest::newRow("GG before A8") << S << QByteArrayList{"GGA8"} << false << true
                                  << QStringList{"#4 FindAssem() READY"} << QByteArray();

    // Auto-detection reply.
    QTest::newRow("auto-detection with a keep-alive pending")
        << S << QByteArrayList{"2288", "0102%1"} << true << true
        << QStringList{"", "#5 Connected DecodeAutRes(22880102%1) ClearKeepAlive READY"}
        << QByteArray();
    QTest::newRow("auto-detection without a pending keep-alive stays")
        << S << QByteArrayList{"22880102%1"} << false << true << QStringList{""}
        << QByteArray("22880102%1");
    QTest::newRow("auto-detection without keep-alive, then 55 acknowledges")
        << S << QByteArrayList{"22880102%1", "55"} << false << true << QStringList{"", "#7 READY"}
        << QByteArray();
    QTest::newRow("auto-detection answered once; the second waits")
        << S << QByteArrayList{"2288ab%1", "2288cd%1"} << true << true
        << QStringList{"#5 Connected DecodeAutRes(2288ab%1) ClearKeepAlive READY", ""}
        << QByteArray("2288cd%1");

    // Reply frames.
    QTest::newRow("code 09 recognised, not decoded")
        << S << QByteArrayList{"A301009abc"} << false << true
        << QStringList{"#6 RxFrame(A301009ab) READY Timer1"} << QByteArray();
    QTest::newRow("code 09 with the serial port closed: no Timer1")
        << S << QByteArrayList{"A301009abc"} << false << false
        << QStringList{"#6 RxFrame(A301009ab) READY"} << QByteArray();
    QTest::newRow("L-1 characters wait, one more completes")
        << S << QByteArrayList{"A301009ab", "c"} << false << true
        << QStringList{"", "#6 RxFrame(A301009ab) READY Timer1"} << QByteArray();
    QTest::newRow("UDP datagram of L characters")
        << U << QByteArrayList{"A301009abc"} << false << false
        << QStringList{"#6 RxFrame(A301009ab) READY"} << QByteArray();
    QTest::newRow("UDP datagram of L characters, serial port open")
        << U << QByteArrayList{"A301009abc"} << false << true
        << QStringList{"#6 RxFrame(A301009ab) READY Timer1"} << QByteArray();
    QTest::newRow("UDP datagram of L+1 characters stays unmatched")
        << U << QByteArrayList{"A301009abcd"} << false << false << QStringList{""}
        << QByteArray("A301009abcd");
    QTest::newRow("UDP datagram shorter than L is taken")
        << U << QByteArrayList{"A301009a"} << false << false
        << QStringList{"#6 RxFrame(A301009)"
                       " READY"}
        << QByteArray();
    QTest::newRow("text after a frame ends up in RxFrame")
        << S << QByteArrayList{"A301009abcXYZ"} << false << false
        << QStringList{"#6 RxFrame(A301009abcXY) READY"} << QByteArray();
    QTest::newRow("A3 followed by non-digits is skipped")
        << S << QByteArrayList{"A3xyzA301009abc"} << false << false
        << QStringList{"#6 RxFrame(A301009ab) READY"} << QByteArray();
    QTest::newRow("A3 then fewer than three characters waits")
        << S << QByteArrayList{"A30", "1", "009abc"} << false << false
        << QStringList{"", "", "#6 RxFrame(A301009ab) READY"} << QByteArray();
    QTest::newRow("A3 without digits only, then an acknowledgement")
        << S << QByteArrayList{"A3x", "yz55"} << false << true << QStringList{"", "#7 READY"}
        << QByteArray();
    QTest::newRow("text before the frame does not count towards its length")
        << S << QByteArrayList{"junk!A301009ab", "c"} << false << false
        << QStringList{"", "#6 RxFrame(A301009ab) READY"} << QByteArray();
    // A "55" inside a configuration reply still arriving is part of the reply; a frame start that
    // cannot become one holds no acknowledgement back.
    QTest::newRow("55 inside a configuration reply still arriving is part of it")
        << S << QByteArrayList{"A3312081920$", "55", "00$"} << false << false
        << QStringList{"", "", ""} << QByteArray("A3312081920$5500$");
    QTest::newRow("stray A3 with three digits, then 55")
        << S << QByteArrayList{"A3999", "55"} << false << false << QStringList{"", "#7 READY"}
        << QByteArray();
    QTest::newRow("55 inside a frame of another code")
        << S << QByteArrayList{"A301209x55", "yz"} << false << false << QStringList{"#7 READY", ""}
        << QByteArray("yz");
    QTest::newRow("55 behind a length no configuration reply has")
        << S << QByteArrayList{"A305708", "55"} << false << false << QStringList{"", "#7 READY"}
        << QByteArray();
    QTest::newRow("55 behind a character no configuration reply holds")
        << S << QByteArrayList{"A3312081920$\r", "55"} << false << false
        << QStringList{"", "#7 READY"} << QByteArray();
    QTest::newRow("55 behind the fiftieth field")
        << S << QByteArrayList{"A399908" + QByteArray("1$").repeated(50) + "Z", "55"} << false
        << false << QStringList{"", "#7 READY"} << QByteArray();
    QTest::newRow("55 before a frame start still acknowledges")
        << S << QByteArrayList{"55A30120"} << false << true << QStringList{"#7 READY"}
        << QByteArray();
    QTest::newRow("55 right after an undecided A3 waits for the decision")
        << S << QByteArrayList{"A355", "x"} << false << true << QStringList{"", "#7 READY"}
        << QByteArray();

    // Acknowledgement.
    QTest::newRow("acknowledgement")
        << S << QByteArrayList{"OK55"} << false << true << QStringList{"#7 READY"} << QByteArray();
    QTest::newRow("acknowledgement in two pieces") << S << QByteArrayList{"5", "5"} << false << true
                                                   << QStringList{"", "#7 READY"} << QByteArray();
    QTest::newRow("unmatched text is kept")
        << S << QByteArrayList{"hello", " board"} << false << true << QStringList{"", ""}
        << QByteArray("hello board");
}

void RepliesTest::dispatchTable() {
    QFETCH(Transport, transport);
    QFETCH(QByteArrayList, pieces);
    QFETCH(bool, keepAlivePending);
    QFETCH(bool, serialPortOpen);
    QFETCH(QStringList, expected);
    QFETCH(QByteArray, bufferAfter);

    Window w;
    w.flags = {keepAlivePending, serialPortOpen};
    for (const QByteArray& piece : pieces)
        w.receive(transport, piece);
    QCOMPARE(w.perPiece, expected);
    QCOMPARE(bytes(w.rx.view()), bufferAfter);
}

void RepliesTest::configurationReplyInPieces_data() {
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QList<int>>("cuts"); // piece boundaries

    const QByteArray reply = configurationReply();
    const int n = int(reply.size());
    QTest::newRow("three pieces") << reply << QList<int>{40, 130};
    QTest::newRow("split inside the subnet mask")
        << reply << QList<int>{n - 10, n - 4}; // "...255.25" | "5.2" | "55.0$Z"
    QTest::newRow("last piece is the final character") << reply << QList<int>{100, n - 1};
    QTest::newRow("one character at a time") << reply << [n] {
        QList<int> all;
        for (int i = 1; i < n; ++i)
            all << i;
        return all;
    }();
}

void RepliesTest::configurationReplyInPieces() {
    QFETCH(QByteArray, reply);
    QFETCH(QList<int>, cuts);

    Window w;
    w.flags = {true, true};
    int begin = 0;
    cuts << int(reply.size());
    for (int cut : cuts) {
        w.receive(Transport::Serial, reply.mid(begin, cut - begin));
        begin = cut;
    }
    const QString frame = QString::fromLatin1(reply.chopped(1));
    QStringList expected(cuts.size() - 1, QString());
    expected << "#6 RxFrame(" + frame + ") DecodeConf(" + frame + ") READY Timer1";
    QCOMPARE(w.perPiece, expected);
    QVERIFY(w.rx.empty());
}

void RepliesTest::frameTests_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QVariant>("serial"); // frame or invalid (no frame)
    QTest::addColumn<QVariant>("udp");

    const QVariant none;
    QTest::newRow("exactly L") << QByteArray("A300808Z") << QVariant(QByteArray("A300808"))
                               << QVariant(QByteArray("A300808"));
    QTest::newRow("L-1") << QByteArray("A300808") << none << QVariant(QByteArray("A30080"));
    QTest::newRow("L+1") << QByteArray("A300808ZZ") << QVariant(QByteArray("A300808Z")) << none;
    QTest::newRow("no A3") << QByteArray("A2007") << none << none;
    QTest::newRow("A3 at the end") << QByteArray("xxA3") << none << none;
    QTest::newRow("A3 and two digits") << QByteArray("A301") << none << none;
    QTest::newRow("non-digits then a frame")
        << QByteArray("A3-12A300508") << QVariant(QByteArray("A30050")) << none;
    QTest::newRow("length zero") << QByteArray("A3000") << QVariant(QByteArray("A300")) << none;
    QTest::newRow("length 999 waits") << QByteArray("A399908") + QByteArray(900, '1') << none
                                      << QVariant(QByteArray("A399908") + QByteArray(899, '1'));
}

void RepliesTest::frameTests() {
    QFETCH(QByteArray, text);
    QFETCH(QVariant, serial);
    QFETCH(QVariant, udp);

    const auto s = replies::findCom(str(text));
    const auto u = replies::uFindCom(str(text));
    QCOMPARE(s.has_value(), serial.isValid());
    QCOMPARE(u.has_value(), udp.isValid());
    if (s)
        QCOMPARE(bytes(*s), serial.toByteArray());
    if (u)
        QCOMPARE(bytes(*u), udp.toByteArray());
}

// The message box keeps the event loop running: replies that arrive meanwhile start their own
// dispatch, and the interrupted one goes on with the assembly step on whatever is then buffered,
// with the flags as they then are.
void RepliesTest::operatorTextResumesOnTheBufferAsItIsAfterTheBox() {
    replies::ReceiveBuffer rx;
    replies::DispatchFlags flags;
    QStringList log;
    std::function<void(const Effect&)> apply;

    auto run = [&] {
        replies::dispatch(
            rx, Transport::Serial, [&] { return flags; }, apply);
    };
    apply = [&](const Effect& e) {
        log << render(e);
        if (e.kind == Effect::Kind::ClearKeepAlivePending)
            flags.keepAlivePending = false;
        if (e.kind == Effect::Kind::ShowMessage) {
            // While the box is open: an auto-detection reply arrives before its keep-alive is
            // marked pending (nothing fires), then the keep-alive tick marks it.
            rx.append("2288ab%1");
            run();
            log << "(box open)";
            flags.keepAlivePending = true;
        }
    };

    rx.append("A7Firmware 3.0AA");
    run();
    QCOMPARE(log, (QStringList{"Message(A7Firmware 3.0)", "(box open)", "READY", "Connected",
                               "DecodeAutRes(2288ab%1)", "ClearKeepAlive", "READY"}));
    QVERIFY(rx.empty());
    QVERIFY(!flags.keepAlivePending);
}

void RepliesTest::nestedAcknowledgementDuringTheBox() {
    replies::ReceiveBuffer rx;
    rx.append("A7hiAA");
    auto out = replies::dispatchStep(rx, Transport::Serial, {});
    QCOMPARE(out.fired, Step::OperatorText);
    QCOMPARE(out.resumeAt, Step::Assembly);
    QVERIFY(rx.empty());

    // The box is open; an acknowledgement arrives and is dispatched on its own.
    rx.append("55");
    const auto nested = replies::dispatchStep(rx, Transport::Serial, {});
    QCOMPARE(nested.fired, Step::Acknowledgement);
    QCOMPARE(nested.resumeAt, Step::None);

    // The box is closed: the interrupted dispatch finds nothing more.
    out = replies::dispatchStep(rx, Transport::Serial, {}, out.resumeAt);
    QCOMPARE(out.fired, Step::None);
    QVERIFY(out.effects.empty());
    QCOMPARE(out.resumeAt, Step::None);
}

void RepliesTest::noiseKeepsTheNewest64KiBAndStillFindsReplies() {
    const QByteArray junk = noise(100 * 1024, 7);
    Window w;
    w.flags = {false, true};
    for (qsizetype i = 0; i < junk.size(); i += 64)
        w.receive(Transport::Serial, junk.mid(i, 64));
    QCOMPARE(w.perPiece.join(QString()), QString()); // nothing fired
    QCOMPARE(w.rx.size(), replies::kMaxReceiveBuffer);
    QCOMPARE(bytes(w.rx.view()), junk.right(qsizetype(replies::kMaxReceiveBuffer)));

    // A configuration reply behind the noise is still found and cut whole ("x" keeps a final
    // "A" of the noise from forming "AA" with the reply's "A3").
    w.receive(Transport::Serial, "x");
    const QByteArray reply = configurationReply();
    w.receive(Transport::Serial, reply.left(50));
    w.receive(Transport::Serial, reply.mid(50));
    const QString frame = QString::fromLatin1(reply.chopped(1));
    QCOMPARE(w.perPiece.last(), "#6 RxFrame(" + frame + ") DecodeConf(" + frame + ") READY Timer1");
    QVERIFY(w.rx.empty());
}

// The buffer remembers how far it searched; after appends and front trimming its answers must be
// those of a plain search over its content.
void RepliesTest::incrementalScanAgreesWithAPlainSearch() {
    std::mt19937 rng(11);

    // Small pieces with frequent emptying (markers split across pieces), then large pieces that
    // push the buffer past its limit (markers dropped from the front); last, stream status markers
    // ("M") with status characters, cut short, or followed by an auto-detection reply's start.
    struct Phase {
        int rounds, minPiece, maxPiece, clearEvery;
        std::string_view alphabet;
    };
    for (const Phase phase :
         {Phase{4000, 1, 7, 23, "A3785G29%1B4D0x"}, Phase{120, 1, 3000, 40, "A3785G29%1B4D0x"},
          Phase{4000, 1, 3, 60, "MM2281x"}}) {
        const std::string_view alphabet = phase.alphabet;
        std::uniform_int_distribution<int> pick(0, int(alphabet.size()) - 1);
        std::uniform_int_distribution<int> pieceSize(phase.minPiece, phase.maxPiece);
        std::uniform_int_distribution<int> clearChance(0, phase.clearEvery - 1);
        replies::ReceiveBuffer rx;
        std::string mirror;
        for (int round = 0; round < phase.rounds; ++round) {
            std::string piece;
            for (int n = pieceSize(rng); n > 0; --n) {
                const char c = alphabet[std::size_t(pick(rng))];
                piece += c == 'M' ? std::string("991177") : std::string(1, c); // M: a whole marker
            }
            rx.append(piece);
            mirror += piece;
            replies::trimToNewest(mirror);
            QCOMPARE(bytes(rx.view()), bytes(mirror));
            for (std::size_t m = 0; m < replies::kMarkerCount; ++m) {
                const auto marker = replies::Marker(m);
                QCOMPARE(rx.find(marker),
                         std::string_view(mirror).find(replies::markerText(marker)));
            }
            const auto a = rx.frame();
            const auto b = replies::locateFrame(mirror);
            QCOMPARE(int(a.state), int(b.state));
            if (b.state != replies::FrameStart::None)
                QCOMPARE(a.pos, b.pos);
            QCOMPARE(a.length, b.length);
            const auto c = rx.streamStatus();
            const auto d = replies::locateStreamStatus(mirror);
            QCOMPARE(int(c.state), int(d.state));
            QCOMPARE(c.pos, d.pos);
            QCOMPARE(c.status, d.status);
            if (clearChance(rng) == 0) {
                rx.clear();
                mirror.clear();
            }
        }
    }
}

void RepliesTest::trimToNewest() {
    std::string s = "abcdef";
    replies::trimToNewest(s, 4);
    QCOMPARE(bytes(s), QByteArray("cdef"));
    replies::trimToNewest(s, 10);
    QCOMPARE(bytes(s), QByteArray("cdef"));

    replies::ReceiveBuffer rx;
    rx.assign(std::string(replies::kMaxReceiveBuffer + 10, 'x') + "55");
    QCOMPARE(rx.size(), replies::kMaxReceiveBuffer);
    QVERIFY(rx.view().ends_with("55"));
}

QTEST_GUILESS_MAIN(RepliesTest)
#include "replies_test.moc"
