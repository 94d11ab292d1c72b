// The stand-in board's core, driven frame by frame: command frame in, reply out, state after.
#include "board_state.h"
#include "options.h"
#include "support/bytes.h"

#include <QtTest>

#include <random>

using namespace corvane_board;

namespace {

std::string text(const QByteArray& b) {
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

// The configuration reply read the way the control program reads it: "A3", three length
// digits, the code, then fields each ended by "$", then one final character.
struct ConfigReply {
    bool ok = false;
    int declared = -1;
    QByteArray code;
    QList<QByteArray> fields;
    QByteArray tail; // what follows the fiftieth "$"
};

ConfigReply readConfig(const QByteArray& frame) {
    ConfigReply r;
    if (frame.size() < 8 || !frame.startsWith("A3"))
        return r;
    bool digits = false;
    r.declared = frame.mid(2, 3).toInt(&digits);
    if (!digits)
        return r;
    r.code = frame.mid(5, 2);
    QByteArray body = frame.mid(7);
    for (int i = 0; i < kConfigFieldCount; ++i) {
        const int dollar = body.indexOf('$');
        if (dollar < 0)
            return r;
        r.fields << body.left(dollar);
        body = body.mid(dollar + 1);
    }
    r.tail = body;
    r.ok = true;
    return r;
}

// A configuration reply the control program can take apart: the length digits count the
// whole frame, fifty fields, a final CR, integer fields that convert.
void verifyConfigReply(const QByteArray& frame) {
    const ConfigReply r = readConfig(frame);
    QVERIFY2(r.ok, frame.constData());
    QCOMPARE(r.declared, frame.size());
    QCOMPARE(r.code, QByteArray("08"));
    QCOMPARE(r.tail, QByteArray("\r"));
    QVERIFY(frame.size() <= 999);
    for (int n = 1; n <= 32; ++n) {
        const QByteArray f = r.fields.at(n - 1);
        bool ok = false;
        if (n == 12 || n == 13)
            (f == "-1" ? QByteArray("0") : f).toInt(&ok, 16);
        else if (n == 9)
            ok = f.size() >= 5;
        else
            f.toInt(&ok, 10);
        QVERIFY2(ok,
                 qPrintable(QStringLiteral("field %1 '%2'").arg(n).arg(QString::fromLatin1(f))));
    }
}

QByteArray fieldOf(Board& board, int n) {
    return readConfig(bytes(board.configReply())).fields.value(n - 1);
}

// Names a piece of the board state for the tables.
QByteArray stateValue(const BoardState& s, const QByteArray& key) {
    if (key.startsWith("field"))
        return bytes(s.field(key.mid(5).toInt()));
    if (key == "streaming")
        return s.streaming ? "1" : "0";
    if (key == "recording")
        return s.recording ? "1" : "0";
    if (key == "rtp11")
        return s.rtp11Running ? "1" : "0";
    if (key == "rtp12")
        return s.rtp12Running ? "1" : "0";
    if (key == "relay")
        return bytes(s.relayMode);
    if (key == "fecError")
        return s.fecErrorInsertion ? "Y" + bytes(s.fecErrorL) : "N";
    if (key == "interface")
        return QByteArray(1, s.controlInterface);
    if (key == "exits")
        return QByteArray::number(s.exitRequests);
    if (key == "reboots")
        return QByteArray::number(s.reboots);
    return "?";
}

const QByteArray kNoAnswer = "<no answer>";

// An RTP destination frame as the control program builds it: length always "31".
QByteArray rtpFrame(const char* code, const char* session, const QByteArray& port,
                    const QByteArray& multicast, const QByteArray& destination) {
    QByteArray f = QByteArray("A531") + code + session + QByteArray::number(port.size()) + port +
                   multicast + "$" + destination;
    f += '\0';
    f += " *";
    f += '\0';
    return f;
}

QByteArray replyOf(const Outcome& o) {
    return o.reply ? bytes(*o.reply) : kNoAnswer;
}

} // namespace

class BoardStateTest : public QObject {
    Q_OBJECT

private slots:
    void setCommands_data();
    void setCommands();
    void sequences_data();
    void sequences();
    void saveThenReadReturnsWhatWasSaved();
    void runningStreamShowsInTheAutoStartField_data();
    void runningStreamShowsInTheAutoStartField();
    void configReplyIsWellFormed_data();
    void configReplyIsWellFormed();
    void autoDetectionReply_data();
    void autoDetectionReply();
    void assemblyReply_data();
    void assemblyReply();
    void lengthRules_data();
    void lengthRules();
    void strictRefusesBrokenFrames();
    void silentBoardAnswersNothing();
    void startError_data();
    void startError();
    void garbageIsSurvived_data();
    void garbageIsSurvived();
    void randomBytesNeverBreakTheConfigReply();
    void lineSplitter();
    void overlongLineIsDropped();
    void printableTrace();
    void splitAndNoise();
};

// One command frame (without its CR) on a fresh full board: the reply, and one piece of
// state afterwards.
void BoardStateTest::setCommands_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("width 11") << QByteArray("A506101280") << QByteArray("55")
                              << QByteArray("field1") << QByteArray("1280");
    QTest::newRow("height 11") << QByteArray("A50511720") << QByteArray("55")
                               << QByteArray("field2") << QByteArray("720");
    QTest::newRow("width 12") << QByteArray("A50512640") << QByteArray("55") << QByteArray("field5")
                              << QByteArray("640");
    QTest::newRow("height 12") << QByteArray("A50514480") << QByteArray("55")
                               << QByteArray("field6") << QByteArray("480");
    QTest::newRow("gop 11 save") << QByteArray("A5041560") << QByteArray("55")
                                 << QByteArray("field4") << QByteArray("60");
    QTest::newRow("bit 11 save") << QByteArray("A50516800") << QByteArray("55")
                                 << QByteArray("field3") << QByteArray("800");
    QTest::newRow("fps 11 save") << QByteArray("A5041715") << QByteArray("55")
                                 << QByteArray("field10") << QByteArray("15");
    QTest::newRow("gop 12 save") << QByteArray("A5042012") << QByteArray("55")
                                 << QByteArray("field8") << QByteArray("12");
    QTest::newRow("bit 12 save") << QByteArray("A506212500") << QByteArray("55")
                                 << QByteArray("field7") << QByteArray("2500");
    QTest::newRow("fps 12 save") << QByteArray("A5042210") << QByteArray("55")
                                 << QByteArray("field11") << QByteArray("10");
    QTest::newRow("gop 11 live") << QByteArray("A50536120") << QByteArray("55")
                                 << QByteArray("field4") << QByteArray("120");
    QTest::newRow("bit 11 live") << QByteArray("A50537800") << QByteArray("55")
                                 << QByteArray("field3") << QByteArray("800");
    QTest::newRow("fps 11 live") << QByteArray("A503385") << QByteArray("55")
                                 << QByteArray("field10") << QByteArray("5");
    QTest::newRow("gop 12 live") << QByteArray("A5043950") << QByteArray("55")
                                 << QByteArray("field8") << QByteArray("50");
    QTest::newRow("bit 12 live") << QByteArray("A5074012000") << QByteArray("55")
                                 << QByteArray("field7") << QByteArray("12000");
    QTest::newRow("fps 12 live") << QByteArray("A5044124") << QByteArray("55")
                                 << QByteArray("field11") << QByteArray("24");
    QTest::newRow("static ip") << QByteArray("A51323192.168.0.245") << QByteArray("55")
                               << QByteArray("field9") << QByteArray("192.168.0.245");
    QTest::newRow("short ip") << QByteArray("A5082310.0.0.1") << QByteArray("55")
                              << QByteArray("field9") << QByteArray("10.0.0.1");
    QTest::newRow("input 1 digit")
        << QByteArray("A503272") << QByteArray("55") << QByteArray("field12") << QByteArray("2");
    QTest::newRow("input 1 PAL BAR")
        << QByteArray("A50327A") << QByteArray("55") << QByteArray("field12") << QByteArray("17");
    QTest::newRow("input 2 NTSC BAR")
        << QByteArray("A50328B") << QByteArray("55") << QByteArray("field13") << QByteArray("18");
    QTest::newRow("input 2 no sensor")
        << QByteArray("A50328C") << QByteArray("55") << QByteArray("field13") << QByteArray("19");
    QTest::newRow("input 2 1080P50")
        << QByteArray("A50328D") << QByteArray("55") << QByteArray("field13") << QByteArray("20");
    QTest::newRow("rate 11 vbr") << QByteArray("A5042921") << QByteArray("55")
                                 << QByteArray("field16") << QByteArray("2");
    QTest::newRow("rate 12 vbr") << QByteArray("A5042912") << QByteArray("55")
                                 << QByteArray("field17") << QByteArray("2");
    QTest::newRow("format 11") << QByteArray("A503322") << QByteArray("55") << QByteArray("field14")
                               << QByteArray("2");
    QTest::newRow("format 12") << QByteArray("A503332") << QByteArray("55") << QByteArray("field15")
                               << QByteArray("2");
    QTest::newRow("autostart") << QByteArray("A503342") << QByteArray("55") << QByteArray("field18")
                               << QByteArray("2");
    QTest::newRow("interface rs232")
        << QByteArray("A503351") << QByteArray("55") << QByteArray("interface") << QByteArray("1");
    QTest::newRow("gateway") << QByteArray("A51742192.168.0.254") << QByteArray("55")
                             << QByteArray("field33") << QByteArray("192.168.0.254");
    QTest::newRow("gateway short") << QByteArray("A5174210.1.1.1") << QByteArray("55")
                                   << QByteArray("field33") << QByteArray("10.1.1.1");
    QTest::newRow("audio 11 on") << QByteArray("A5044310") << QByteArray("55")
                                 << QByteArray("field19") << QByteArray("1");
    QTest::newRow("audio 12 on") << QByteArray("A5044301") << QByteArray("55")
                                 << QByteArray("field20") << QByteArray("1");
    QTest::newRow("record both") << QByteArray("A503453") << QByteArray("55")
                                 << QByteArray("field31") << QByteArray("3");
    QTest::newRow("recording start")
        << QByteArray("A503461") << QByteArray("55") << QByteArray("recording") << QByteArray("1");
    QTest::newRow("rec 11 width") << QByteArray("A506501280") << QByteArray("55")
                                  << QByteArray("field21") << QByteArray("1280");
    QTest::newRow("rec 11 height") << QByteArray("A50551720") << QByteArray("55")
                                   << QByteArray("field22") << QByteArray("720");
    QTest::newRow("rec 11 gop") << QByteArray("A5045260") << QByteArray("55")
                                << QByteArray("field24") << QByteArray("60");
    QTest::newRow("rec 11 bit") << QByteArray("A505539000") << QByteArray("55")
                                << QByteArray("field23") << QByteArray("9000");
    QTest::newRow("rec 11 fps") << QByteArray("A5045420") << QByteArray("55")
                                << QByteArray("field25") << QByteArray("20");
    QTest::newRow("rec 12 width") << QByteArray("A50560640") << QByteArray("55")
                                  << QByteArray("field26") << QByteArray("640");
    QTest::newRow("rec 12 height") << QByteArray("A50561480") << QByteArray("55")
                                   << QByteArray("field27") << QByteArray("480");
    QTest::newRow("rec 12 gop") << QByteArray("A5046210") << QByteArray("55")
                                << QByteArray("field29") << QByteArray("10");
    QTest::newRow("rec 12 bit") << QByteArray("A50563900") << QByteArray("55")
                                << QByteArray("field28") << QByteArray("900");
    QTest::newRow("rec 12 fps with value")
        << QByteArray("A5046412") << QByteArray("55") << QByteArray("field30") << QByteArray("12");
    QTest::newRow("res 12 position 8 is 704")
        << QByteArray("A503698") << QByteArray("55") << QByteArray("field5") << QByteArray("704");
    QTest::newRow("res 11 position 9 is 336")
        << QByteArray("A503709") << QByteArray("55") << QByteArray("field2") << QByteArray("336");
    QTest::newRow("mtu") << QByteArray("A506721400") << QByteArray("55") << QByteArray("field34")
                         << QByteArray("1400");
    QTest::newRow("iad off") << QByteArray("A503732") << QByteArray("55") << QByteArray("field32")
                             << QByteArray("2");
    QTest::newRow("mode rtp both")
        << QByteArray("A50381R") << QByteArray("55") << QByteArray("field49") << QByteArray("R");
    QTest::newRow("rtp 11 multicast type")
        << rtpFrame("82", "M", "5004", "239.1.1.1", "192.168.0.7") << QByteArray("55")
        << QByteArray("field47") << QByteArray("M");
    QTest::newRow("rtp 11 port") << rtpFrame("82", "M", "5004", "239.1.1.1", "192.168.0.7")
                                 << QByteArray("55") << QByteArray("field37") << QByteArray("5004");
    QTest::newRow("rtp 11 multicast ip")
        << rtpFrame("82", "M", "5004", "239.1.1.1", "192.168.0.7") << QByteArray("55")
        << QByteArray("field39") << QByteArray("239.1.1.1");
    QTest::newRow("rtp 11 destination")
        << rtpFrame("82", "M", "5004", "239.1.1.1", "192.168.0.7") << QByteArray("55")
        << QByteArray("field35") << QByteArray("192.168.0.7");
    QTest::newRow("rtp 12 destination")
        << rtpFrame("83", "U", "600", "239.2.2.2", "10.0.0.9") << QByteArray("55")
        << QByteArray("field36") << QByteArray("10.0.0.9");
    QTest::newRow("rtp 12 port") << rtpFrame("83", "U", "600", "239.2.2.2", "10.0.0.9")
                                 << QByteArray("55") << QByteArray("field38") << QByteArray("600");
    QTest::newRow("camera moving")
        << QByteArray("A503862") << QByteArray("55") << QByteArray("field42") << QByteArray("2");
    QTest::newRow("fec on state") << QByteArray("A50887E10L5D%%%%%%") << QByteArray("55")
                                  << QByteArray("field44") << QByteArray("E");
    QTest::newRow("fec on L") << QByteArray("A50887E10L5D%%%%%%") << QByteArray("55")
                              << QByteArray("field45") << QByteArray("10");
    QTest::newRow("fec on D") << QByteArray("A50887E10L5D%%%%%%") << QByteArray("55")
                              << QByteArray("field46") << QByteArray("5");
    QTest::newRow("fec off") << QByteArray("A50387D") << QByteArray("55") << QByteArray("field44")
                             << QByteArray("D");
    QTest::newRow("fec error on") << QByteArray("A50388Y4") << QByteArray("55")
                                  << QByteArray("fecError") << QByteArray("Y4");
    QTest::newRow("fec error on, no L")
        << QByteArray("A50388Y") << QByteArray("55") << QByteArray("fecError") << QByteArray("Y");
    QTest::newRow("udprs ip") << QByteArray("A50991192.0.2.1") << QByteArray("55")
                              << QByteArray("field41") << QByteArray("192.0.2.1");
    QTest::newRow("udprs on") << QByteArray("A50392Y") << QByteArray("55") << QByteArray("field43")
                              << QByteArray("Y");
    QTest::newRow("subnet") << QByteArray("A51193255.255.0.0") << QByteArray("55")
                            << QByteArray("field50") << QByteArray("255.255.0.0");
    QTest::newRow("start") << QByteArray("A50205") << QByteArray("55") << QByteArray("streaming")
                           << QByteArray("1");
    QTest::newRow("rtp 11 start") << QByteArray("A50280") << QByteArray("55") << QByteArray("rtp11")
                                  << QByteArray("1");
    QTest::newRow("rtp 12 start") << QByteArray("A50284") << QByteArray("55") << QByteArray("rtp12")
                                  << QByteArray("1");
    QTest::newRow("tcprs") << QByteArray("A50285") << QByteArray("55") << QByteArray("relay")
                           << QByteArray("TCPRS");
    QTest::newRow("udprs") << QByteArray("A50290") << QByteArray("55") << QByteArray("relay")
                           << QByteArray("UDPRS");
    QTest::newRow("exit") << QByteArray("A50204") << QByteArray("55") << QByteArray("exits")
                          << QByteArray("1");
    QTest::newRow("reboot") << QByteArray("A50275") << QByteArray("55") << QByteArray("reboots")
                            << QByteArray("1");
    QTest::newRow("read opening") << QByteArray("A50226") << QByteArray("55")
                                  << QByteArray("streaming") << QByteArray("0");
    QTest::newRow("save closing") << QByteArray("A50225") << QByteArray("55")
                                  << QByteArray("streaming") << QByteArray("0");
    QTest::newRow("probe") << QByteArray("A50264") << QByteArray("B74D") << QByteArray("field30")
                           << QByteArray("25");
    QTest::newRow("firmware") << QByteArray("A50244") << QByteArray("A7 Corvane firmware 2.3.1 AA")
                              << QByteArray("streaming") << QByteArray("0");
    QTest::newRow("assembly") << QByteArray("A50276") << QByteArray("A81-3GG")
                              << QByteArray("streaming") << QByteArray("0");
    QTest::newRow("keep-alive") << QByteArray("A50224") << QByteArray("22880A$01$%1")
                                << QByteArray("streaming") << QByteArray("0");

    // Values the board refuses are acknowledged and leave the state as it was.
    QTest::newRow("bit rate not a number")
        << QByteArray("A504164k") << QByteArray("55") << QByteArray("field3") << QByteArray("4000");
    QTest::newRow("empty bit rate")
        << QByteArray("A50216") << QByteArray("55") << QByteArray("field3") << QByteArray("4000");
    QTest::newRow("address with $") << QByteArray("A508231.2$3.4") << QByteArray("55")
                                    << QByteArray("field9") << QByteArray("192.168.0.245");
    QTest::newRow("address too long") << QByteArray("A52023123.123.123.123.123") << QByteArray("55")
                                      << QByteArray("field9") << QByteArray("192.168.0.245");
    QTest::newRow("input character E")
        << QByteArray("A50327E") << QByteArray("55") << QByteArray("field12") << QByteArray("1");
    QTest::newRow("resolution 0") << QByteArray("A503700") << QByteArray("55")
                                  << QByteArray("field1") << QByteArray("1920");
    QTest::newRow("mode letter X")
        << QByteArray("A50381X") << QByteArray("55") << QByteArray("field49") << QByteArray("S");
    QTest::newRow("fec without D")
        << QByteArray("A50587E4L4") << QByteArray("55") << QByteArray("field44") << QByteArray("D");
    QTest::newRow("rtp cut short") << QByteArray("A53182U9500") << QByteArray("55")
                                   << QByteArray("field37") << QByteArray("5004");
}

void BoardStateTest::setCommands() {
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, reply);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    Board board;
    const Outcome out = board.handleLine(text(frame));
    QCOMPARE(replyOf(out), reply);
    QCOMPARE(stateValue(board.state(), key), value);
    // Whatever came in, the configuration reply stays readable.
    verifyConfigReply(bytes(board.configReply()));
}

// Several frames in a row; the last reply and one piece of state.
void BoardStateTest::sequences_data() {
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<QByteArray>("lastReply");
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<QByteArray>("value");

    QTest::newRow("stop ends streaming and recording")
        << QList<QByteArray>{"A50205", "A503461", "A50280", "A50206"} << QByteArray("55")
        << QByteArray("recording") << QByteArray("0");
    QTest::newRow("stop ends rtp") << QList<QByteArray>{"A50205", "A50280", "A50206"}
                                   << QByteArray("55") << QByteArray("rtp11") << QByteArray("0");
    QTest::newRow("recording stop") << QList<QByteArray>{"A503461", "A503462"} << QByteArray("55")
                                    << QByteArray("recording") << QByteArray("0");
    QTest::newRow("create default restores")
        << QList<QByteArray>{"A506101280", "A50230"} << QByteArray("55") << QByteArray("field1")
        << QByteArray("1920");
    QTest::newRow("reboot with autostart streams")
        << QList<QByteArray>{"A503342", "A50275"} << QByteArray("55") << QByteArray("streaming")
        << QByteArray("1");
    QTest::newRow("reboot without autostart does not")
        << QList<QByteArray>{"A50205", "A50275"} << QByteArray("55") << QByteArray("streaming")
        << QByteArray("0");
    QTest::newRow("fec off keeps L")
        << QList<QByteArray>{"A50887E12L6D%%%%%%", "A50387D"} << QByteArray("55")
        << QByteArray("field45") << QByteArray("12");
    QTest::newRow("fec error off") << QList<QByteArray>{"A50388Y4", "A50388N"} << QByteArray("55")
                                   << QByteArray("fecError") << QByteArray("N");
    QTest::newRow("live update after save")
        << QList<QByteArray>{"A50516800", "A50637900"} << QByteArray("55") << QByteArray("field3")
        << QByteArray("900");
    QTest::newRow("garbage between keeps state")
        << QList<QByteArray>{"A506101280", "\xff\xfe", "", "A5", "A50208"} << QByteArray()
        << QByteArray("field1") << QByteArray("1280");
}

void BoardStateTest::sequences() {
    QFETCH(QList<QByteArray>, frames);
    QFETCH(QByteArray, lastReply);
    QFETCH(QByteArray, key);
    QFETCH(QByteArray, value);
    Board board;
    Outcome out;
    for (const QByteArray& f : frames)
        out = board.handleLine(text(f));
    if (!lastReply.isEmpty())
        QCOMPARE(replyOf(out), lastReply);
    QCOMPARE(stateValue(board.state(), key), value);
}

// A whole "Save Config." sequence with values unlike the defaults, then "Read Config.":
// every field reads back as saved.
void BoardStateTest::saveThenReadReturnsWhatWasSaved() {
    Board board;
    const QList<QByteArray> save = {
        "A50206",
        "A50510640",
        "A50511480",
        "A50512320",
        "A50514240",
        "A5041545",
        "A50516700",
        "A5041712",
        "A5042015",
        "A50521350",
        "A503228",
        "A50327A",
        "A503289",
        "A5042922",
        "A503322",
        "A503332",
        "A503342",
        "A5044311",
        "A503452",
        "A503732",
        "A50381B",
        rtpFrame("82", "M", "5008", "239.9.9.1", "10.9.9.1"),
        rtpFrame("83", "U", "700", "239.9.9.2", "10.9.9.2"),
        "A50392Y",
        "A50550720",
        "A50551576",
        "A5045215",
        "A506532000",
        "A5045424",
        "A50560320",
        "A50561240",
        "A5046216",
        "A50563800",
        "A5046410",
        "A50787E6L3D%%%%%%",
        "A5082310.9.9.9",
        "A5174210.9.9.254",
        "A506721200",
        "A51291198.51.100.7",
        "A51593255.255.255.128",
        "A503861",
        "A50225",
    };
    for (const QByteArray& f : save) {
        const Outcome out = board.handleLine(text(f));
        QCOMPARE(replyOf(out), QByteArray("55"));
        QVERIFY2(out.note.empty(),
                 qPrintable(QString::fromLatin1(f) + " " + QString::fromStdString(out.note)));
    }

    const Outcome read = board.handleLine("A50208");
    QVERIFY(read.reply);
    const QByteArray frame = bytes(*read.reply);
    verifyConfigReply(frame);
    const ConfigReply r = readConfig(frame);
    const QList<QByteArray> expected = {"640",
                                        "480",
                                        "700",
                                        "45",
                                        "320",
                                        "240",
                                        "350",
                                        "15",
                                        "IPST:10.9.9.9",
                                        "12",
                                        "8",
                                        "17",
                                        "9",
                                        "2",
                                        "2",
                                        "2",
                                        "2",
                                        "2",
                                        "1",
                                        "1",
                                        "720",
                                        "576",
                                        "2000",
                                        "15",
                                        "24",
                                        "320",
                                        "240",
                                        "800",
                                        "16",
                                        "10",
                                        "2",
                                        "2",
                                        "10.9.9.254",
                                        "1200",
                                        "10.9.9.1",
                                        "10.9.9.2",
                                        "5008",
                                        "700",
                                        "239.9.9.1",
                                        "239.9.9.2",
                                        "198.51.100.7",
                                        "1",
                                        "Y",
                                        "E",
                                        "6",
                                        "3",
                                        "M",
                                        "U",
                                        "B",
                                        "255.255.255.128"};
    QCOMPARE(r.fields.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i)
        QVERIFY2(r.fields.at(i) == expected.at(i),
                 qPrintable(QStringLiteral("field %1: '%2', expected '%3'")
                                .arg(i + 1)
                                .arg(QString::fromLatin1(r.fields.at(i)),
                                     QString::fromLatin1(expected.at(i)))));
}

// The configuration reply is how the program learns that the board streams: field 18 reads 2
// while a stream runs, and the auto-start setting otherwise.
void BoardStateTest::runningStreamShowsInTheAutoStartField_data() {
    QTest::addColumn<QList<QByteArray>>("frames");
    QTest::addColumn<int>("startError");
    QTest::addColumn<QByteArray>("field18");
    QTest::addColumn<QByteArray>("setting");
    QTest::newRow("idle") << QList<QByteArray>{} << 0 << QByteArray("1") << QByteArray("1");
    QTest::newRow("started") << QList<QByteArray>{"A50205"} << 0 << QByteArray("2")
                             << QByteArray("1");
    QTest::newRow("started and stopped")
        << QList<QByteArray>{"A50205", "A50206"} << 0 << QByteArray("1") << QByteArray("1");
    QTest::newRow("stopped, auto start set") << QList<QByteArray>{"A503342", "A50205", "A50206"}
                                             << 0 << QByteArray("2") << QByteArray("2");
    QTest::newRow("auto start cleared while streaming")
        << QList<QByteArray>{"A50205", "A503341"} << 0 << QByteArray("2") << QByteArray("1");
    QTest::newRow("start refused by a stream error")
        << QList<QByteArray>{"A50205"} << 11 << QByteArray("1") << QByteArray("1");
    QTest::newRow("board application ended")
        << QList<QByteArray>{"A50205", "A50204"} << 0 << QByteArray("1") << QByteArray("1");
    QTest::newRow("the stop after the FEC commands")
        << QList<QByteArray>{"A50205",  "A50388Y4", "A50388N", "A50787E4L4D%%%%%%",
                             "A50387D", "A50206"}
        << 0 << QByteArray("1") << QByteArray("1");
}

void BoardStateTest::runningStreamShowsInTheAutoStartField() {
    QFETCH(QList<QByteArray>, frames);
    QFETCH(int, startError);
    QFETCH(QByteArray, field18);
    QFETCH(QByteArray, setting);
    Board board(makeState(Variant::Full, Module::Sdi, Module::Analog),
                Faults{false, startError, false});
    for (const QByteArray& f : frames)
        board.handleLine(text(f));
    QCOMPARE(fieldOf(board, 18), field18);
    QCOMPARE(stateValue(board.state(), "field18"), setting);
}

void BoardStateTest::configReplyIsWellFormed_data() {
    QTest::addColumn<int>("variant");
    QTest::addColumn<int>("m11");
    QTest::addColumn<int>("m12");
    for (int v = 0; v < 2; ++v)
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b)
                QTest::addRow("%s %d %d", v ? "lumo" : "full", a, b) << v << a << b;
}

// Defaults for every variant and module pair: readable, and free of markers that the
// control program tests before the reply frame (so the reply is never taken for another).
void BoardStateTest::configReplyIsWellFormed() {
    QFETCH(int, variant);
    QFETCH(int, m11);
    QFETCH(int, m12);
    Board board(makeState(variant ? Variant::Lumo : Variant::Full, static_cast<Module>(m11),
                          static_cast<Module>(m12)));
    const QByteArray frame = bytes(board.configReply());
    verifyConfigReply(frame);
    QVERIFY(!frame.contains("991177"));
    QVERIFY(!frame.contains("B74D"));
    QVERIFY(!frame.contains("2288"));
    QVERIFY(!(frame.contains("A7") && frame.contains("AA")));
    QVERIFY(!(frame.contains("A8") && frame.contains("GG")));
    QCOMPARE(frame.count("A3"), 1);
    // The frame as one datagram passes the UDP frame test (length <= declared) and, as the
    // whole serial buffer, the serial one (declared <= length): exactly equal.
    QCOMPARE(frame.mid(2, 3).toInt(), frame.size());
}

void BoardStateTest::autoDetectionReply_data() {
    QTest::addColumn<QString>("detected");
    QTest::addColumn<QString>("client");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("sdi and analog, connected") << "2B,01"
                                               << "1" << QByteArray("22882B$01$%1");
    QTest::newRow("disconnected") << "0a,1"
                                  << "0" << QByteArray("22880A$01$%2");
    QTest::newRow("unknown client") << "1D,3c"
                                    << "none" << QByteArray("22881D$3C$%f");
}

// The reply that fills the control program's eight-character window exactly.
void BoardStateTest::autoDetectionReply() {
    QFETCH(QString, detected);
    QFETCH(QString, client);
    QFETCH(QByteArray, reply);
    const auto parsed =
        parseOptions({"--detected", detected.toStdString(), "--client", client.toStdString()});
    QVERIFY(std::holds_alternative<Options>(parsed));
    Board board(initialState(std::get<Options>(parsed)));
    const QByteArray got = replyOf(board.handleLine("A50224"));
    QCOMPARE(got, reply);
    const QByteArray w = got.mid(got.indexOf("2288") + 4, 8);
    QCOMPARE(w.size(), 8);
    QCOMPARE(w.left(w.indexOf('$')), reply.mid(4, 2));
    QCOMPARE(w.at(w.indexOf('%') + 1), reply.back());
}

void BoardStateTest::assemblyReply_data() {
    QTest::addColumn<QString>("modules");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("sdi analog") << "SDI,Analog" << QByteArray("A81-3GG");
    QTest::newRow("hdmi none") << "hdmi,none" << QByteArray("A82-0GG");
    QTest::newRow("none sdi") << "None,SDI" << QByteArray("A80-1GG");
}

void BoardStateTest::assemblyReply() {
    QFETCH(QString, modules);
    QFETCH(QByteArray, reply);
    const auto parsed = parseOptions({"--variant", "lumo", "--modules", modules.toStdString()});
    QVERIFY(std::holds_alternative<Options>(parsed));
    Board board(initialState(std::get<Options>(parsed)));
    const QByteArray got = replyOf(board.handleLine("A50276"));
    QCOMPARE(got, reply);
    // The control program reads the third and the fifth character.
    QCOMPARE(got.at(2), reply.at(2));
    QCOMPARE(got.at(4), reply.at(4));
}

// The length digits the board expects, with the exceptions of the catalogue.
void BoardStateTest::lengthRules_data() {
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("lengthOk");
    QTest::newRow("keep-alive") << QByteArray("A50224") << true;
    QTest::newRow("save bit rate") << QByteArray("A50516800") << true;
    QTest::newRow("live bit rate") << QByteArray("A50537800") << true;
    QTest::newRow("ip counts address only") << QByteArray("A5082310.0.0.1") << true;
    QTest::newRow("ip counted as payload") << QByteArray("A5102310.0.0.1") << false;
    QTest::newRow("gateway always 17") << QByteArray("A5174210.0.0.1") << true;
    QTest::newRow("gateway by payload") << QByteArray("A5104210.0.0.1") << false;
    QTest::newRow("rtp always 31")
        << QByteArray("A53182U45004239.1.1.1$192.168.0.7\0 *\0", 38) << true;
    QTest::newRow("fec counts up to D") << QByteArray("A50787E4L4D%%%%%%") << true;
    QTest::newRow("fec ten") << QByteArray("A51087E100L10D%%%%%%") << true;
    QTest::newRow("fec with the %") << QByteArray("A51387E4L4D%%%%%%") << false;
    QTest::newRow("fec error 03") << QByteArray("A50388Y4") << true;
    QTest::newRow("fec error counted") << QByteArray("A50488Y4") << false;
    QTest::newRow("subnet") << QByteArray("A51393255.255.255.0") << true;
    QTest::newRow("udprs ip") << QByteArray("A50791a.b.c.d") << true;
    QTest::newRow("resolution") << QByteArray("A503701") << true;
    QTest::newRow("one too many") << QByteArray("A50616800") << false;
}

void BoardStateTest::lengthRules() {
    QFETCH(QByteArray, frame);
    QFETCH(bool, lengthOk);
    const ParsedFrame parsed = parseFrame(text(frame));
    QCOMPARE(parsed.status, ParsedFrame::Status::Ok);
    QCOMPARE(expectedLength(parsed.code, parsed.value) == parsed.declaredLength, lengthOk);
    Board board;
    const Outcome out = board.handleLine(text(frame));
    QCOMPARE(QString::fromStdString(out.note).contains("rules give"), !lengthOk);
    QVERIFY(out.reply); // lenient by default: answered anyway
}

void BoardStateTest::strictRefusesBrokenFrames() {
    Board board(makeState(Variant::Full, Module::Sdi, Module::Analog), Faults{false, 0, true});
    QCOMPARE(replyOf(board.handleLine("A50616800")), kNoAnswer);
    QCOMPARE(fieldOf(board, 3), QByteArray("4000"));
    QCOMPARE(replyOf(board.handleLine("A504164k")), kNoAnswer);
    QCOMPARE(replyOf(board.handleLine("A50516800")), QByteArray("55"));
    QCOMPARE(fieldOf(board, 3), QByteArray("800"));
}

void BoardStateTest::silentBoardAnswersNothing() {
    Board board(makeState(Variant::Full, Module::Sdi, Module::Analog), Faults{true, 0, false});
    for (const char* f : {"A50224", "A50264", "A50208", "A50205", "A506101280"}) {
        const Outcome out = board.handleLine(f);
        QVERIFY2(!out.reply, f);
        QVERIFY(QString::fromStdString(out.note).contains("silent"));
    }
    QCOMPARE(board.state().streaming, false);
    QCOMPARE(fieldOf(board, 1), QByteArray("1920"));
    board.faults().silent = false;
    QCOMPARE(replyOf(board.handleLine("A50264")), QByteArray("B74D"));
}

void BoardStateTest::startError_data() {
    QTest::addColumn<int>("stream");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("none") << 0 << QByteArray("55");
    QTest::newRow("stream 11") << 11 << QByteArray("9911771");
    QTest::newRow("stream 12") << 12 << QByteArray("9911772");
}

void BoardStateTest::startError() {
    QFETCH(int, stream);
    QFETCH(QByteArray, reply);
    Board board(makeState(Variant::Full, Module::Sdi, Module::Analog),
                Faults{false, stream, false});
    QCOMPARE(replyOf(board.handleLine("A50205")), reply);
    QCOMPARE(board.state().streaming, stream == 0);
    // Only the start is affected.
    QCOMPARE(replyOf(board.handleLine("A50206")), QByteArray("55"));
}

void BoardStateTest::garbageIsSurvived_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("empty") << QByteArray() << kNoAnswer;
    QTest::newRow("start only") << QByteArray("A5") << kNoAnswer;
    QTest::newRow("no code") << QByteArray("A502") << kNoAnswer;
    QTest::newRow("half code") << QByteArray("A5022") << kNoAnswer;
    QTest::newRow("letters for length") << QByteArray("A5xx24") << kNoAnswer;
    QTest::newRow("unknown code") << QByteArray("A50299") << kNoAnswer;
    QTest::newRow("no code 13") << QByteArray("A503131") << kNoAnswer;
    QTest::newRow("reply text sent back") << QByteArray("A3252081920$") << kNoAnswer;
    QTest::newRow("nul bytes") << QByteArray("\0\0\0\0", 4) << kNoAnswer;
    QTest::newRow("high bytes") << QByteArray("\xff\xfe\x80\x81") << kNoAnswer;
    QTest::newRow("lf before frame") << QByteArray("\nA50224") << QByteArray("22880A$01$%1");
    QTest::newRow("noise before frame") << QByteArray("zzA50264") << QByteArray("B74D");
    QTest::newRow("A5 in noise then frame") << QByteArray("A5A50205") << QByteArray("55");
    QTest::newRow("value on a bare command") << QByteArray("A50305x") << QByteArray("55");
    QTest::newRow("huge value") << QByteArray("A59916") + QByteArray(4000, '9') << QByteArray("55");
    QTest::newRow("huge address") << QByteArray("A59923") + QByteArray(3000, '1')
                                  << QByteArray("55");
    QTest::newRow("rtp without value") << QByteArray("A53182") << QByteArray("55");
    QTest::newRow("rtp port count past the end") << QByteArray("A53183U9") << QByteArray("55");
    QTest::newRow("fec empty") << QByteArray("A50287") << QByteArray("55");
    QTest::newRow("fec L only") << QByteArray("A50587E4L") << QByteArray("55");
    QTest::newRow("resolution letter") << QByteArray("A50370x") << QByteArray("55");
    QTest::newRow("audio one digit") << QByteArray("A503431") << QByteArray("55");
}

void BoardStateTest::garbageIsSurvived() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, reply);
    Board board;
    const auto before = board.state().config;
    const Outcome out = board.handleLine(text(line));
    QCOMPARE(replyOf(out), reply);
    QVERIFY(!out.note.empty());
    // Refused input leaves the configuration as it was (a start that gets through shows in the
    // reply as streaming, not as a changed setting), and the board still answers.
    QVERIFY(board.state().config == before);
    verifyConfigReply(bytes(board.configReply()));
    QCOMPARE(replyOf(board.handleLine("A50264")), QByteArray("B74D"));
}

// Random lines, some of them near-frames: the board never stops answering and its
// configuration reply always stays readable.
void BoardStateTest::randomBytesNeverBreakTheConfigReply() {
    std::mt19937 rng(20261210);
    Board board;
    const char* codes[] = {"10", "23", "27", "29", "42", "43", "69",
                           "72", "81", "82", "87", "88", "93", "99"};
    for (int i = 0; i < 20000; ++i) {
        std::string line;
        if (rng() % 2) {
            line = "A5" + std::to_string(rng() % 100) + codes[rng() % std::size(codes)];
        }
        const int extra = static_cast<int>(rng() % 24);
        for (int k = 0; k < extra; ++k)
            line += static_cast<char>(rng() % 256);
        board.handleLine(line);
    }
    verifyConfigReply(bytes(board.configReply()));
    QCOMPARE(replyOf(board.handleLine("A50224")).left(4), QByteArray("2288"));
}

void BoardStateTest::lineSplitter() {
    LineSplitter splitter;
    std::vector<std::string> lines;
    const std::string stream = "A50224\r" +
                               text(rtpFrame("82", "U", "5004", "239.1.1.1", "1.2.3.4")) +
                               "\r\rA502" + "05\r";
    // Byte by byte: the same lines as in one piece, NUL kept inside its line.
    for (const char c : stream)
        for (auto& item : splitter.feed(std::string_view(&c, 1)))
            lines.push_back(item.line);
    QCOMPARE(lines.size(), std::size_t(4));
    QCOMPARE(lines[0], std::string("A50224"));
    QCOMPARE(lines[1].size(), std::size_t(33));
    QCOMPARE(lines[1].back(), '\0');
    QCOMPARE(lines[2], std::string());
    QCOMPARE(lines[3], std::string("A50205"));
    QCOMPARE(splitter.pending(), std::size_t(0));
    QCOMPARE(splitter.feed("A502").size(), std::size_t(0));
    QCOMPARE(splitter.pending(), std::size_t(4));
}

void BoardStateTest::overlongLineIsDropped() {
    LineSplitter splitter(16);
    auto items = splitter.feed(std::string(40, 'x'));
    QCOMPARE(items.size(), std::size_t(1));
    QVERIFY(items[0].overlong);
    // The rest of the overlong line up to its CR is skipped; the next line is read whole.
    items = splitter.feed(std::string(10, 'y') + "\rA50224\r");
    QCOMPARE(items.size(), std::size_t(1));
    QCOMPARE(items[0].line, std::string("A50224"));
    QVERIFY(!items[0].overlong);
}

void BoardStateTest::printableTrace() {
    QCOMPARE(printable(std::string_view("A50224\r", 7)), std::string("A50224<CR>"));
    QCOMPARE(printable(std::string_view("82\0 *\0\n\x1b\xff", 9)),
             std::string("82<NUL> *<NUL><LF><x1B><xFF>"));
}

void BoardStateTest::splitAndNoise() {
    const std::string reply = Board().configReply();
    const auto pieces = splitPieces(reply, 10);
    QCOMPARE(pieces.size(), (reply.size() + 9) / 10);
    std::string joined;
    for (const auto& p : pieces) {
        QVERIFY(p.size() <= 10);
        joined += p;
    }
    QCOMPARE(joined, reply);
    QCOMPARE(splitPieces("55", 0).size(), std::size_t(1));

    // Noise between replies never creates or completes a marker of its own.
    std::uint32_t seed = 7;
    const char* replies[] = {"55", "B74D", "22880A$01$%1", "A81-3GG", "9911771"};
    for (int i = 0; i < 500; ++i) {
        const std::string noise = noiseText(seed);
        QVERIFY(!noise.empty());
        for (const char c : noise)
            QVERIFY(!(c >= '0' && c <= '9') && !(c >= 'A' && c <= 'Z') && c != '$' && c != '%' &&
                    c != '\r');
        const QByteArray around =
            bytes(replies[i % 5]) + bytes(noise) + bytes(replies[(i + 1) % 5]);
        for (const char* marker : {"991177", "B74D", "2288", "A7", "AA", "A8", "GG", "A3", "55"})
            QCOMPARE(around.count(marker), bytes(replies[i % 5]).count(marker) +
                                               bytes(replies[(i + 1) % 5]).count(marker));
    }
}

QTEST_GUILESS_MAIN(BoardStateTest)
#include "board_state_test.moc"
