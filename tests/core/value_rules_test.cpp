// What the numeric and address boxes accept, that the lengths agree with the command frames, and
// how messages quote text from a file or the board.
#include "core/frames.h"
#include "core/text.h"
#include "core/value_rules.h"

#include <QtTest>

using namespace corvane;
using controls::Ctl;

namespace {

bool accepts(Ctl ctl, const QString& text) {
    const values::ValueRule* rule = values::ruleOf(ctl);
    return rule && values::accepts(*rule, text.toStdString());
}

// The frame a box's text goes out in, for the boxes whose frame takes only some lengths.
frames::FrameResult frameOf(Ctl ctl, std::string_view text) {
    using frames::Stream;
    switch (ctl) {
    case Ctl::Bit1:
        return frames::bitRateSave(Stream::S11, text);
    case Ctl::Bit2:
        return frames::bitRateSave(Stream::S12, text);
    case Ctl::Gop1:
        return frames::gopSave(Stream::S11, text);
    case Ctl::Gop2:
        return frames::gopSave(Stream::S12, text);
    case Ctl::fps1:
        return frames::frameRateSave(Stream::S11, text);
    case Ctl::fps2:
        return frames::frameRateSave(Stream::S12, text);
    case Ctl::RecBit1:
        return frames::recordBitRate(Stream::S11, text);
    case Ctl::RecBit2:
        return frames::recordBitRate(Stream::S12, text);
    case Ctl::RecGop1:
        return frames::recordGop(Stream::S11, text);
    case Ctl::RecGop2:
        return frames::recordGop(Stream::S12, text);
    case Ctl::Recfps1:
        return frames::recordFrameRate(Stream::S11, text);
    case Ctl::Recfps2:
        return frames::recordFrameRate(Stream::S12, text);
    case Ctl::MTUB:
        return frames::mtu(text);
    default:
        return {};
    }
}

} // namespace

class ValueRulesTest : public QObject {
    Q_OBJECT
private slots:
    void boxesAcceptWhatCanBeRight_data() {
        QTest::addColumn<int>("ctl");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        auto row = [](const char* name, Ctl ctl, const char* text, bool accepted) {
            QTest::newRow(name) << int(ctl) << QString(text) << accepted;
        };
        row("empty is not wrong yet", Ctl::Bit1, "", true);
        row("bit rate", Ctl::Bit1, "4000", true);
        row("bit rate of six digits", Ctl::Bit2, "123456", false);
        row("bit rate zero", Ctl::Bit1, "0", false);
        row("bit rate with a unit", Ctl::Bit1, "4k", false);
        row("bit rate signed", Ctl::Bit1, "+400", false);
        row("bit rate with a space", Ctl::Bit1, " 400", false);
        row("recording bit rate of one digit", Ctl::RecBit1, "5", false);
        row("recording bit rate", Ctl::RecBit2, "99999", true);
        row("GOP of four digits", Ctl::Gop1, "1000", false);
        row("GOP with leading zeros", Ctl::Gop2, "030", true);
        row("frame rate", Ctl::fps2, "25", true);
        row("recording frame rate decimal", Ctl::Recfps1, "29.97", false);
        row("MTU", Ctl::MTUB, "1400", true);
        row("MTU above 1500", Ctl::MTUB, "9000", false);
        row("MTU of two digits", Ctl::MTUB, "68", false);
        row("FEC L", Ctl::LFEC, "10", true);
        row("FEC D zero divides by zero", Ctl::DFEC, "0", false);
        row("FEC overhead negative", Ctl::FECP, "-5", false);
        row("RTP port", Ctl::RTP11_Port, "65535", true);
        row("RTP port above 65535", Ctl::RTP12_Port, "65536", false);
        row("RTP port zero", Ctl::RTP12_Port, "0", false);
        row("static IP", Ctl::ipb, "192.168.0.245", true);
        row("static IP with a part above 255", Ctl::ipb, "192.168.0.256", false);
        row("static IP of three parts", Ctl::ipb, "192.168.0", false);
        row("static IP of five parts", Ctl::ipb, "1.2.3.4.5", false);
        row("static IP ending in a dot", Ctl::ipb, "1.2.3.4.", false);
        row("static IP with an empty part", Ctl::ipb, "1..3.4", false);
        row("gateway with a name", Ctl::gwp, "router", false);
        row("UDPRS destination", Ctl::UDPRSIPB, "10.0.0.9", true);
        row("RTP destination with a port", Ctl::RTP11_IP, "10.0.0.9:5004", false);
        row("subnet mask", Ctl::SubB, "255.255.255.0", true);
        row("subnet mask of all ones", Ctl::SubB, "255.255.255.255", true);
        row("subnet mask of zeros", Ctl::SubB, "0.0.0.0", true);
        row("subnet mask with a hole", Ctl::SubB, "255.0.255.0", false);
        row("subnet mask inverted", Ctl::SubB, "0.0.0.255", false);
        row("multicast, lowest", Ctl::RTP11_M, "224.0.0.0", true);
        row("multicast, highest", Ctl::RTP12_M, "239.255.255.255", true);
        row("multicast below the range", Ctl::RTP11_M, "223.255.255.255", false);
        row("multicast above the range", Ctl::RTP12_M, "240.0.0.1", false);
        row("multicast that is no address", Ctl::RTP12_M, "239.1.1", false);
    }
    void boxesAcceptWhatCanBeRight() {
        QFETCH(int, ctl);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(accepts(Ctl(ctl), text), accepted);
    }

    // Every box has one rule and a sentence for its tooltip; a box whose frame takes only some
    // lengths accepts exactly the lengths its frame takes.
    void rulesAgreeWithTheFrames() {
        for (const values::ValueRule& rule : values::kValueRules) {
            const QString name = QString::fromUtf8(controls::name(rule.ctl));
            QCOMPARE(values::ruleOf(rule.ctl), &rule);
            QVERIFY2(!values::acceptedText(rule).empty(), qPrintable(name));
            QVERIFY2(values::valueName(rule) != "unknown command", qPrintable(name));
            if (!rule.framed)
                continue;
            for (int n = 1; n <= 7; ++n) {
                const std::string text(std::size_t(n), '1');
                const bool inRange = n >= rule.minChars && n <= rule.maxChars;
                QVERIFY2(frameOf(rule.ctl, text).ok() == inRange,
                         qPrintable(name + " " + QString::number(n)));
                QVERIFY2(values::tooLongFor(rule.ctl, text).has_value() == (n > rule.maxChars),
                         qPrintable(name + " " + QString::number(n)));
            }
        }
    }

    void tooLongNamesTheValue_data() {
        QTest::addColumn<int>("ctl");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty: none
        QTest::newRow("bit rate") << int(Ctl::Bit1) << "123456"
                                  << "'123456' is too long for the stream 11 bit rate (1 to 5 "
                                     "characters)";
        QTest::newRow("recording bit rate")
            << int(Ctl::RecBit2) << "123456"
            << "'123456' is too long for the stream 12 recording bit rate (2 to 5 characters)";
        QTest::newRow("MTU") << int(Ctl::MTUB) << "01500"
                             << "'01500' is too long for the MTU (3 to 4 characters)";
        QTest::newRow("fits") << int(Ctl::Gop1) << "999"
                              << "";
        QTest::newRow("too short is not too long") << int(Ctl::RecBit1) << "5"
                                                   << "";
        QTest::newRow("a port's frame takes any length") << int(Ctl::RTP11_Port) << "1234567"
                                                         << "";
        QTest::newRow("no rule") << int(Ctl::S1I) << "1234567"
                                 << "";
    }
    void tooLongNamesTheValue() {
        QFETCH(int, ctl);
        QFETCH(QString, text);
        QFETCH(QString, message);
        const auto got = values::tooLongFor(Ctl(ctl), text.toStdString());
        QCOMPARE(got ? QString::fromStdString(*got) : QString(), message);
    }

    // Text from a file or the board is quoted escaped, as the link monitor shows it, and cut.
    void quotedTextIsEscapedAndCut_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << QByteArray("1400") << "1400";
        QTest::newRow("CR, LF, tab") << QByteArray("a\r\n\tb") << "a\\r\\x0A\\x09b";
        QTest::newRow("NUL and DEL") << QByteArray("x\0y\x7f", 4) << "x\\x00y\\x7F";
        QTest::newRow("non-ASCII") << QByteArray("\xe9\xff") << "\\xE9\\xFF";
        QTest::newRow("60 kept whole") << QByteArray(60, 'a') << QString(60, 'a');
        QTest::newRow("61 cut") << QByteArray(61, 'a') << QString(60, 'a') + "... (61 bytes)";
        QTest::newRow("the cut counts bytes, not escapes")
            << QByteArray(70, '\x01') << QString("\\x01").repeated(60) + "... (70 bytes)";
    }
    void quotedTextIsEscapedAndCut() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        const std::string_view view(bytes.constData(), std::size_t(bytes.size()));
        QCOMPARE(QString::fromStdString(text::quoted(view)), expected);
        QCOMPARE(QString::fromStdString(text::invalidIntegerMessage(view)),
                 "'" + expected + "' is not a valid integer value");
    }
};

QTEST_APPLESS_MAIN(ValueRulesTest)
#include "value_rules_test.moc"
