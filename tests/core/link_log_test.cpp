// The link monitor's record: how rows read (text, meaning, saved line), the command catalogue,
// the ring of the newest rows, and the reconnect option in conf.ini.
#include "core/frames.h"
#include "core/link_log.h"
#include "core/link_options.h"

#include <QtTest>

using namespace corvane;
using linklog::Direction;
using linklog::Recognised;
using linklog::Row;
using replies::Transport;

namespace {

// A row as the ring records it; its text stays readable until the next call.
Row row(std::string_view text, Direction d = Direction::Received,
        Transport link = Transport::Serial) {
    static linklog::Ring ring(1);
    ring.add(0, link, d, text, 1);
    return *ring.find(ring.firstSeq());
}

QString shown(std::string_view text) {
    return QString::fromStdString(linklog::displayText(row(text)));
}

} // namespace

class LinkLogTest : public QObject {
    Q_OBJECT
private slots:
    void textIsEscapedAndCut_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("frame") << QByteArray("A50208\r") << "A50208\\r";
        QTest::newRow("tab and LF") << QByteArray("a\tb\n") << "a\\x09b\\x0A";
        QTest::newRow("NUL and DEL") << QByteArray("x\0y\x7f", 4) << "x\\x00y\\x7F";
        QTest::newRow("non-ASCII") << QByteArray("\xe9\xff") << "\\xE9\\xFF";
        QTest::newRow("256 kept whole") << QByteArray(256, 'a') << QString(256, 'a');
        QTest::newRow("257 cut") << QByteArray(257, 'a')
                                 << QString(256, 'a') + QString::fromUtf8("… (257 bytes)");
        // The cut counts the board's characters, not the escapes they become.
        QTest::newRow("cut of escapes")
            << QByteArray(300, '\r')
            << QString("\\r").repeated(256) + QString::fromUtf8("… (300 bytes)");
    }
    void textIsEscapedAndCut() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        QCOMPARE(shown(std::string_view(bytes.constData(), std::size_t(bytes.size()))), expected);
    }

    void catalogueNamesEveryFrameFamily() {
        const std::pair<std::string, const char*> cases[] = {
            {frames::configRequest(), "configuration request"},
            {frames::keepAlive(), "keep-alive"},
            {frames::openRead(), "start of configuration read"},
            {frames::probe(), "board probe"},
            {frames::reboot(), "reboot board"},
            {frames::exitBoard(), "exit board application"},
            {frames::bitRateSave(frames::Stream::S11, "4000").bytes, "stream 11 bit rate"},
            {frames::bitRateLive(frames::Stream::S12, "4000").bytes, "stream 12 bit rate update"},
            // Code 64 with a value is a recording setting, without one the probe.
            {frames::recordFrameRate(frames::Stream::S12, "25").bytes,
             "stream 12 recording frame rate"},
            {frames::rtpDestination(frames::Stream::S11, frames::RtpSession::Unicast, "5004",
                                    "239.0.0.1", "10.0.0.2"),
             "stream 11 RTP destination"},
            {frames::subnetMask("255.255.255.0").bytes, "subnet mask"},
            {"A50299\r", "unknown command"},
            {"hello", "unknown command"},
            {"", "unknown command"},
        };
        for (const auto& [frame, name] : cases)
            QCOMPARE(QString::fromLatin1(linklog::commandName(frame)), QString::fromLatin1(name));
    }

    // What the dispatch recognised names a received row; until then a serial piece is "not
    // recognised yet", a datagram "not recognised".
    void meaningOfRows() {
        linklog::Ring ring;
        ring.add(1, Transport::Serial, Direction::Sent, frames::configRequest(), 1);
        ring.add(2, Transport::Serial, Direction::Received, "A3", 2);
        ring.add(3, Transport::Serial, Direction::Received, "0...", 3);
        ring.add(4, Transport::Udp, Direction::Received, "noise", 4);
        ring.add(5, Transport::Udp, Direction::Received, "55", 5, true);
        ring.add(6, Transport::Serial, Direction::Timeout, {}, 6);
        QCOMPARE(ring.recognise(3, Recognised::ConfigurationReply), 2);
        QCOMPARE(ring.recognise(3, Recognised::Acknowledgement), 2);
        QCOMPARE(ring.recognise(1, Recognised::Acknowledgement), -1); // a sent row
        QStringList meanings;
        for (std::uint64_t seq = ring.firstSeq(); seq < ring.nextSeq(); ++seq)
            meanings << QString::fromStdString(linklog::meaning(*ring.find(seq)));
        QCOMPARE(meanings, (QStringList{"configuration request", "not recognised yet",
                                        "configuration reply, acknowledgement", "not recognised",
                                        "not read: came after its wait", "no acknowledgement"}));
        QCOMPARE(QString::fromStdString(linklog::rowLine("12:00:00.001", *ring.find(0))),
                 QString("12:00:00.001\tRS232\tsent\tA50208\\r\tconfiguration request"));
        QCOMPARE(QString::fromStdString(linklog::rowLine("t", *ring.find(5))),
                 QString("t\tRS232\ttimeout\t\tno acknowledgement"));
    }

    void dispatchStepsNameTheReply() {
        replies::ReceiveBuffer rx;
        const std::pair<std::string, Recognised> cases[] = {
            {"xx55", Recognised::Acknowledgement},
            {"A7Version 1.2AA", Recognised::OperatorMessage},
            {"A8modGG", Recognised::AssemblyReply},
            {"B74D", Recognised::ProbeAnswer},
            {"9911771", Recognised::StreamStatus},
            {"A3010011234x", Recognised::ReplyFrame},
        };
        for (const auto& [text, expected] : cases) {
            rx.assign(text);
            std::vector<Recognised> got;
            replies::dispatch(
                rx, Transport::Serial, [] { return replies::DispatchFlags{}; },
                [](const replies::Effect&) {},
                [&](const replies::DispatchOutcome& o) {
                    got.push_back(linklog::recognisedOf(o));
                });
            QCOMPARE(got.size(), std::size_t(1));
            QCOMPARE(int(got[0]), int(expected));
        }
    }

    // The ring keeps the newest rows, counts what it dropped, and a slot reused keeps nothing of
    // the row before.
    void ringKeepsTheNewest() {
        linklog::Ring ring(3);
        for (int i = 1; i <= 5; ++i)
            ring.add(i, Transport::Udp, Direction::Received, std::string(std::size_t(i), 'x'),
                     std::uint64_t(i));
        QCOMPARE(ring.size(), std::size_t(3));
        QCOMPARE(ring.dropped(), std::uint64_t(2));
        QCOMPARE(ring.firstSeq(), std::uint64_t(2));
        QVERIFY(!ring.find(1));
        QCOMPARE(std::string(ring.find(2)->bytes), std::string("xxx"));
        QCOMPARE(ring.recognise(2, Recognised::Acknowledgement), -1); // dropped
        QCOMPARE(ring.recognise(5, Recognised::Acknowledgement), 4);
        ring.add(6, Transport::Udp, Direction::Received, "y", 6);
        QCOMPARE(ring.find(5)->recognised, std::uint16_t(0));
        QCOMPARE(ring.find(5)->size, std::uint32_t(1));
        ring.clear();
        QCOMPARE(ring.size(), std::size_t(0));
        QCOMPARE(ring.dropped(), std::uint64_t(0));
        QVERIFY(!ring.find(5));
        ring.add(7, Transport::Udp, Direction::Received, "z", 7);
        QCOMPARE(ring.size(), std::size_t(1));
        QCOMPARE(std::string(ring.find(ring.firstSeq())->bytes), std::string("z"));
    }

    // Texts of every length, short and cut, go round the ring's text store many times; every row
    // kept still reads its own text.
    void ringKeepsEveryKeptText() {
        linklog::Ring ring(7);
        std::vector<std::string> texts;
        for (int i = 0; i < 500; ++i) {
            const std::size_t length = std::size_t(i * 37 % 301);
            texts.push_back(std::string(length, char('a' + i % 26)));
            ring.add(i, Transport::Serial, Direction::Received, texts.back(), std::uint64_t(i));
            for (std::uint64_t seq = ring.firstSeq(); seq < ring.nextSeq(); ++seq) {
                const std::string& text = texts[seq];
                QCOMPARE(std::string(ring.find(seq)->bytes), text.substr(0, linklog::kTextLimit));
            }
        }
    }

    // The filter looks at every column but the time: link, direction, text and meaning.
    void filterMatchesEveryColumnButTheTime() {
        const struct {
            Direction direction;
            Transport link;
            const char* needle;
            bool matched;
        } cases[] = {
            {Direction::Sent, Transport::Udp, "", true},
            {Direction::Sent, Transport::Udp, "KEEP", true},      // meaning
            {Direction::Sent, Transport::Udp, "a50224\\r", true}, // text as shown
            {Direction::Sent, Transport::Udp, "configuration", false},
            {Direction::Sent, Transport::Udp, "udp", true},
            {Direction::Sent, Transport::Udp, "RS232", false},
            {Direction::Sent, Transport::Serial, "rs232", true},
            {Direction::Sent, Transport::Serial, "SENT", true},
            {Direction::Sent, Transport::Serial, "received", false},
            {Direction::Received, Transport::Serial, "receiv", true},
            {Direction::Timeout, Transport::Serial, "timeout", true},
        };
        for (const auto& c : cases) {
            const Row r = row(frames::keepAlive(), c.direction, c.link);
            QVERIFY2(linklog::matches(r, c.needle) == c.matched, c.needle);
        }
    }

    // The reply to a keep-alive is named also when no keep-alive awaited it (the one that ends
    // "Read Config.": the dispatch leaves it alone); a piece holding only part of it is not.
    void autoDetectionReplyIsNamed() {
        linklog::Ring ring;
        ring.add(1, Transport::Udp, Direction::Received, "22882B$01$%1", 1);
        ring.add(2, Transport::Udp, Direction::Received, "22882B$01$%1", 2);
        ring.add(3, Transport::Serial, Direction::Received, "22882B$0", 3);
        ring.add(4, Transport::Udp, Direction::Received, "2288", 4);
        QCOMPARE(ring.recognise(2, Recognised::AutoDetectionReply), 1);
        QStringList meanings;
        for (std::uint64_t seq = ring.firstSeq(); seq < ring.nextSeq(); ++seq)
            meanings << QString::fromStdString(linklog::meaning(*ring.find(seq)));
        QCOMPARE(meanings, (QStringList{"auto-detection reply, not awaited", "auto-detection reply",
                                        "not recognised yet", "not recognised"}));
    }

    // The time column is the time of day at the given offset from UTC, whatever the date.
    void clockText() {
        const struct {
            std::int64_t msecs;
            int offset;
            const char* text;
        } cases[] = {
            {0, 0, "00:00:00.000"},
            {86399999, 0, "23:59:59.999"},
            {86400000 + 3723004, 0, "01:02:03.004"},
            {1765411200000 + 45296789, 3600, "13:34:56.789"}, // 12:34:56.789 UTC
            {1765411200000 + 1000, -5 * 3600, "19:00:01.000"},
            {1765411200000 + 1000, 5 * 3600 + 45 * 60, "05:45:01.000"},
            {-1, 0, "23:59:59.999"},
        };
        for (const auto& c : cases)
            QCOMPARE(QString::fromStdString(linklog::clockText(c.msecs, c.offset)),
                     QString::fromLatin1(c.text));
    }

    // Off and never stored: conf.ini stays byte for byte as it was.
    void reconnectOption() {
        const std::string conf = "[ComPort1]\nPort=ttyS0\n";
        QCOMPARE(linkoptions::writeReconnect(conf, false), conf);
        const std::string on = linkoptions::writeReconnect(conf, true);
        QVERIFY(linkoptions::reconnectFromConfIni(on));
        QVERIFY(on.find("Port=ttyS0") != std::string::npos);
        const std::string off = linkoptions::writeReconnect(on, false);
        QVERIFY(!linkoptions::reconnectFromConfIni(off));
        QVERIFY(off.find("ReconnectAutomatically=0") != std::string::npos);
        QVERIFY(!linkoptions::reconnectFromConfIni(conf));
    }
};

QTEST_APPLESS_MAIN(LinkLogTest)
#include "link_log_test.moc"
