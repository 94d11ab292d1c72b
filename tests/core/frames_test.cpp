// Every command frame the program sends, byte for byte, with the odd length rules.
#include "core/frames.h"
#include "support/bytes.h"

#include <QtTest>

using namespace corvane;
using frames::Problem;
using frames::Stream;

Q_DECLARE_METATYPE(frames::Problem)

namespace {

// Expected frame: the given text followed by CR.
QByteArray cr(const char* text) {
    return QByteArray(text) + '\r';
}

void row(const char* name, const std::string& built, const QByteArray& expected) {
    QTest::newRow(name) << bytes(built) << Problem::None << expected;
}

void row(const char* name, const frames::FrameResult& built, const QByteArray& expected) {
    QTest::newRow(name) << bytes(built.bytes) << built.problem << expected;
}

} // namespace

class FramesTest : public QObject {
    Q_OBJECT

private slots:
    void builtFrames_data();
    void builtFrames();
    void noFrame_data();
    void noFrame();
    void rtpDestination_data();
    void rtpDestination();
    void lengthDigitsStayTwoDigits();
};

void FramesTest::builtFrames_data() {
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<Problem>("problem");
    QTest::addColumn<QByteArray>("expected");

    // Commands without a value: exactly seven bytes.
    row("keep-alive", frames::keepAlive(), cr("A50224"));
    row("probe", frames::probe(), cr("A50264"));
    row("exit board", frames::exitBoard(), cr("A50204"));
    row("start stream", frames::startStream(), cr("A50205"));
    row("stop stream", frames::stopStream(), cr("A50206"));
    row("configuration request", frames::configRequest(), cr("A50208"));
    row("close sequence", frames::closeSequence(), cr("A50225"));
    row("open read", frames::openRead(), cr("A50226"));
    row("create default", frames::createDefault(), cr("A50230"));
    row("firmware version", frames::firmwareVersion(), cr("A50244"));
    row("reboot", frames::reboot(), cr("A50275"));
    row("assembly detect", frames::assemblyDetect(), cr("A50276"));
    row("start rtp 11", frames::startRtp11(), cr("A50280"));
    row("start rtp 12", frames::startRtp12(), cr("A50284"));
    row("tcprs", frames::tcprsMode(), cr("A50285"));
    row("udprs", frames::udprsMode(), cr("A50290"));
    row("interface rs232", frames::controlInterface(true), cr("A503351"));
    row("interface udp", frames::controlInterface(false), cr("A503350"));

    // Live updates: length = 2 + characters of the value.
    row("live bit rate 11 4000", frames::bitRateLive(Stream::S11, "4000"), cr("A506374000"));
    row("live bit rate 11 12000", frames::bitRateLive(Stream::S11, "12000"), cr("A5073712000"));
    row("live bit rate 11 800", frames::bitRateLive(Stream::S11, "800"), cr("A50537800"));
    row("live bit rate 12 800", frames::bitRateLive(Stream::S12, "800"), cr("A50540800"));
    row("live bit rate 11 one char", frames::bitRateLive(Stream::S11, "5"), cr("A503375"));
    row("live gop 11 30", frames::gopLive(Stream::S11, "30"), cr("A5043630"));
    row("live gop 12 1", frames::gopLive(Stream::S12, "1"), cr("A503391"));
    row("live gop 12 999", frames::gopLive(Stream::S12, "999"), cr("A50539999"));
    row("live fps 11 25", frames::frameRateLive(Stream::S11, "25"), cr("A5043825"));
    row("live fps 11 30", frames::frameRateLive(Stream::S11, "30"), cr("A5043830"));
    row("live fps 12 60", frames::frameRateLive(Stream::S12, "60"), cr("A5044160"));
    row("live value sent as typed", frames::bitRateLive(Stream::S11, " 4k "), cr("A50637 4k "));
    row("live resolution 11 pos 1", frames::resolutionLive(Stream::S11, 1), cr("A503702"));
    row("live resolution 12 pos 0", frames::resolutionLive(Stream::S12, 0), cr("A503691"));
    row("live resolution 11 pos 8", frames::resolutionLive(Stream::S11, 8), cr("A503709"));
    row("live resolution no selection", frames::resolutionLive(Stream::S11, -1), cr("A503700"));

    // Save sequence: picture sizes by the normal rule.
    row("width 11 1920", frames::pictureWidth(Stream::S11, 1920), cr("A506101920"));
    row("height 11 1080", frames::pictureHeight(Stream::S11, 1080), cr("A506111080"));
    row("width 11 1280", frames::pictureWidth(Stream::S11, 1280), cr("A506101280"));
    row("height 11 720", frames::pictureHeight(Stream::S11, 720), cr("A50511720"));
    row("width 12 720", frames::pictureWidth(Stream::S12, 720), cr("A50512720"));
    row("height 12 1080 uses 14", frames::pictureHeight(Stream::S12, 1080), cr("A506141080"));
    row("height 12 336", frames::pictureHeight(Stream::S12, 336), cr("A50514336"));
    row("rec width 11 1920", frames::recordWidth(Stream::S11, 1920), cr("A506501920"));
    row("rec height 11 720", frames::recordHeight(Stream::S11, 720), cr("A50551720"));
    row("rec width 12 640", frames::recordWidth(Stream::S12, 640), cr("A50560640"));
    row("rec height 12 1080", frames::recordHeight(Stream::S12, 1080), cr("A506611080"));

    // Save sequence: prefixed values.
    row("save bit rate 11 4000", frames::bitRateSave(Stream::S11, "4000"), cr("A506164000"));
    row("save bit rate 11 800", frames::bitRateSave(Stream::S11, "800"), cr("A50516800"));
    row("save bit rate 11 one char", frames::bitRateSave(Stream::S11, "5"), cr("A503165"));
    row("save bit rate 12 12000", frames::bitRateSave(Stream::S12, "12000"), cr("A5072112000"));
    row("save gop 11 30", frames::gopSave(Stream::S11, "30"), cr("A5041530"));
    row("save gop 12 1", frames::gopSave(Stream::S12, "1"), cr("A503201"));
    row("save fps 11 25", frames::frameRateSave(Stream::S11, "25"), cr("A5041725"));
    row("save fps 12 100", frames::frameRateSave(Stream::S12, "100"), cr("A50522100"));
    row("rec bit rate 11 2000", frames::recordBitRate(Stream::S11, "2000"), cr("A506532000"));
    row("rec bit rate 12 two chars", frames::recordBitRate(Stream::S12, "10"), cr("A5046310"));
    row("rec gop 11 30", frames::recordGop(Stream::S11, "30"), cr("A5045230"));
    row("rec gop 12 5", frames::recordGop(Stream::S12, "5"), cr("A503625"));
    row("rec fps 11 30", frames::recordFrameRate(Stream::S11, "30"), cr("A5045430"));
    row("rec fps 12 25 (code 64)", frames::recordFrameRate(Stream::S12, "25"), cr("A5046425"));

    // Save sequence: one-character choices.
    row("sensor 1 hex digit", frames::sensorInput(Stream::S11, '3'), cr("A503273"));
    row("sensor 2 NTSC BAR", frames::sensorInput(Stream::S12, 'B'), cr("A50328B"));
    row("sensor 2 no sensor", frames::sensorInput(Stream::S12, 'C'), cr("A50328C"));
    row("rate control CBR CBR", frames::rateControl(1, 1), cr("A5042911"));
    row("rate control CBR VBR", frames::rateControl(1, 2), cr("A5042912"));
    row("encoder 11 H.264", frames::encoderFormat(Stream::S11, false), cr("A503321"));
    row("encoder 11 H.265", frames::encoderFormat(Stream::S11, true), cr("A503322"));
    row("encoder 12 H.264", frames::encoderFormat(Stream::S12, false), cr("A503331"));
    row("encoder 12 H.265", frames::encoderFormat(Stream::S12, true), cr("A503332"));
    row("auto start on", frames::autoStart(true), cr("A503342"));
    row("auto start off", frames::autoStart(false), cr("A503341"));
    row("audio both", frames::audio(true, true), cr("A5044311"));
    row("audio 11 only", frames::audio(true, false), cr("A5044310"));
    row("audio 12 only", frames::audio(false, true), cr("A5044301"));
    row("audio neither", frames::audio(false, false), cr("A5044300"));
    row("record 11", frames::recordSelection(true, false), cr("A503451"));
    row("record 12", frames::recordSelection(false, true), cr("A503452"));
    row("record both", frames::recordSelection(true, true), cr("A503453"));
    row("input auto-detect on", frames::inputAutoDetect(true), cr("A503731"));
    row("input auto-detect off", frames::inputAutoDetect(false), cr("A503732"));
    row("streaming mode RTSP", frames::streamingMode("S"), cr("A50381S"));
    row("streaming mode RTP 11+12", frames::streamingMode("R"), cr("A50381R"));
    row("udprs flag on", frames::udprsFlag(true), cr("A50392Y"));
    row("udprs flag off", frames::udprsFlag(false), cr("A50392N"));
    row("recording start", frames::recording(true), cr("A503461"));
    row("recording stop", frames::recording(false), cr("A503462"));
    row("camera none", frames::cameraType(0), cr("A503860"));
    row("camera fixed", frames::cameraType(1), cr("A503861"));
    row("camera moving", frames::cameraType(2), cr("A503862"));

    // Addresses: the length digits count the address only.
    row("static ip 13 chars", frames::staticIp("192.168.0.245"), cr("A51323192.168.0.245"));
    row("static ip 8 chars", frames::staticIp("10.0.0.1"), cr("A5082310.0.0.1"));
    row("static ip empty", frames::staticIp(""), cr("A50023"));
    row("udprs destination", frames::udprsDestination("192.168.0.20"), cr("A51291192.168.0.20"));
    row("subnet mask", frames::subnetMask("255.255.255.0"), cr("A51393255.255.255.0"));
    row("address of 99 chars", frames::subnetMask(std::string(99, '1')),
        QByteArray("A59993") + QByteArray(99, '1') + '\r');
    // Gateway: always "17".
    row("gateway 13 chars", frames::gateway("192.168.0.254"), cr("A51742192.168.0.254"));
    row("gateway 8 chars", frames::gateway("10.0.0.1"), cr("A5174210.0.0.1"));
    row("gateway empty", frames::gateway(""), cr("A51742"));
    // MTU: 3 or 4 characters.
    row("mtu 1500", frames::mtu("1500"), cr("A506721500"));
    row("mtu 576", frames::mtu("576"), cr("A50572576"));

    // FEC: the six "%" are not counted; FEC error always "03".
    row("fec on 4 4", frames::fecOn("4", "4"), cr("A50787E4L4D%%%%%%"));
    row("fec on 10 5", frames::fecOn("10", "5"), cr("A50887E10L5D%%%%%%"));
    row("fec on 100 10 reaches ten", frames::fecOn("100", "10"), cr("A51087E100L10D%%%%%%"));
    row("fec on empty L and D", frames::fecOn("", ""), cr("A50587ELD%%%%%%"));
    row("fec on n = 99", frames::fecOn(std::string(47, '1'), std::string(47, '2')),
        QByteArray("A59987E") + QByteArray(47, '1') + 'L' + QByteArray(47, '2') + "D%%%%%%\r");
    row("fec off", frames::fecOff(), cr("A50387D"));
    row("fec error on 4", frames::fecErrorOn("4"), cr("A50388Y4"));
    row("fec error on 12", frames::fecErrorOn("12"), cr("A50388Y12"));
    row("fec error on empty L", frames::fecErrorOn(""), cr("A50388Y"));
    row("fec error off", frames::fecErrorOff(), cr("A50388N"));

    // The generic rules on their own.
    row("normal rule below ten", frames::normal("45", "1"), cr("A503451"));
    row("normal rule from ten on", frames::normal("10", "12345678"), cr("A5101012345678"));
    row("fixed length", frames::fixedLength("17", "42", "x"), cr("A51742x"));
}

void FramesTest::builtFrames() {
    QFETCH(QByteArray, built);
    QFETCH(Problem, problem);
    QFETCH(QByteArray, expected);
    QCOMPARE(problem, Problem::None);
    QCOMPARE(built, expected);
}

void FramesTest::noFrame_data() {
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<Problem>("problem");

    QTest::addColumn<Problem>("expectedProblem");

    auto add = [](const char* name, const frames::FrameResult& r, Problem why) {
        QTest::newRow(name) << bytes(r.bytes) << r.problem << why;
    };

    add("live bit rate empty", frames::bitRateLive(Stream::S11, ""), Problem::Empty);
    add("live bit rate 6 chars", frames::bitRateLive(Stream::S11, "123456"), Problem::TooLong);
    add("live bit rate 12 6 chars", frames::bitRateLive(Stream::S12, "123456"), Problem::TooLong);
    add("live gop 1000", frames::gopLive(Stream::S12, "1000"), Problem::TooLong);
    add("live gop empty", frames::gopLive(Stream::S11, ""), Problem::Empty);
    add("live fps 4 chars", frames::frameRateLive(Stream::S11, "1000"), Problem::TooLong);
    add("save bit rate 6 chars", frames::bitRateSave(Stream::S11, "123456"), Problem::TooLong);
    add("save gop 4 chars", frames::gopSave(Stream::S11, "1000"), Problem::TooLong);
    add("save fps empty", frames::frameRateSave(Stream::S12, ""), Problem::Empty);
    add("rec bit rate one char", frames::recordBitRate(Stream::S11, "5"), Problem::TooShort);
    add("rec bit rate empty", frames::recordBitRate(Stream::S12, ""), Problem::Empty);
    add("rec bit rate 6 chars", frames::recordBitRate(Stream::S12, "123456"), Problem::TooLong);
    add("rec gop 4 chars", frames::recordGop(Stream::S11, "1234"), Problem::TooLong);
    add("rec fps 4 chars", frames::recordFrameRate(Stream::S12, "1234"), Problem::TooLong);
    add("mtu 68", frames::mtu("68"), Problem::TooShort);
    add("mtu empty", frames::mtu(""), Problem::Empty);
    add("mtu 5 chars", frames::mtu("15000"), Problem::TooLong);
    add("record neither", frames::recordSelection(false, false), Problem::Empty);
    add("address of 100 chars", frames::staticIp(std::string(100, '1')), Problem::TooLong);
    add("udprs address of 100 chars", frames::udprsDestination(std::string(100, '1')),
        Problem::TooLong);
    add("fec n = 100", frames::fecOn(std::string(47, '1'), std::string(48, '2')), Problem::TooLong);
    add("fec huge L", frames::fecOn(std::string(1000, '1'), ""), Problem::TooLong);
    add("normal payload of 100", frames::normal("10", std::string(98, '1')), Problem::TooLong);
}

void FramesTest::noFrame() {
    QFETCH(QByteArray, built);
    QFETCH(Problem, problem);
    QFETCH(Problem, expectedProblem);
    QVERIFY(built.isEmpty());
    QCOMPARE(problem, expectedProblem);
}

void FramesTest::rtpDestination_data() {
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray tail = QByteArray(1, '\0') + " *" + QByteArray(1, '\0') + '\r';
    QTest::newRow("stream 11 unicast")
        << bytes(frames::rtpDestination(Stream::S11, frames::RtpSession::Unicast, "1234",
                                        "225.1.1.1", "192.168.0.20"))
        << QByteArray("A53182U41234225.1.1.1$192.168.0.20") + tail;
    QTest::newRow("stream 12 multicast, 5-char port")
        << bytes(frames::rtpDestination(Stream::S12, frames::RtpSession::Multicast, "50000",
                                        "239.0.0.1", "10.0.0.2"))
        << QByteArray("A53183M550000239.0.0.1$10.0.0.2") + tail;
    QTest::newRow("empty fields keep the layout")
        << bytes(frames::rtpDestination(Stream::S11, frames::RtpSession::Multicast, "", "", ""))
        << QByteArray("A53182M0$") + tail;
    QTest::newRow("long port: count in decimal, length still 31")
        << bytes(frames::rtpDestination(Stream::S11, frames::RtpSession::Unicast, "123456789012",
                                        "a", "b"))
        << QByteArray("A53182U12123456789012a$b") + tail;
}

void FramesTest::rtpDestination() {
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, expected);
    QCOMPARE(built, expected);
    QCOMPARE(built.count('\0'), 2);
}

void FramesTest::lengthDigitsStayTwoDigits() {
    QCOMPARE(QByteArray::fromStdString(frames::lengthDigits(0)), QByteArray("00"));
    QCOMPARE(QByteArray::fromStdString(frames::lengthDigits(7)), QByteArray("07"));
    QCOMPARE(QByteArray::fromStdString(frames::lengthDigits(99)), QByteArray("99"));
    QVERIFY(frames::lengthDigits(100).empty());
    QVERIFY(frames::lengthDigits(-1).empty());
    QVERIFY(!frames::withLength(100, "x").ok());
    QVERIFY(frames::withLength(100, "x").bytes.empty());
}

QTEST_GUILESS_MAIN(FramesTest)
#include "frames_test.moc"
