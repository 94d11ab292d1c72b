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

    // Before an action sends some boxes: a control character refuses it naming the box, texts
    // that cannot be right are gathered in order for one question, an empty text is not doubted.
    void sendCheck_data() {
        QTest::addColumn<QString>("texts"); // box=text, separated by |
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("doubtful"); // the boxes' names, separated by spaces
        QTest::newRow("all right") << "Bit1=4000|ipb=10.0.0.1|MTUB=1400"
                                   << ""
                                   << "";
        QTest::newRow("empty is not doubted") << "Bit1=|ipb=|RTP11_M="
                                              << ""
                                              << "";
        QTest::newRow("two wrong, in the order given") << "ipb=300.1.1.1|Bit1=4000|Bit2=12x"
                                                       << ""
                                                       << "ipb Bit2";
        QTest::newRow("carriage return refuses, naming the box")
            << "Bit1=12x|ipb=1.2.3.4\rA50275"
            << "Static IP: '1.2.3.4\\rA50275' holds a control character, which would break its "
               "command. Nothing was sent."
            << "Bit1";
        QTest::newRow("DEL refuses; the first refused box is named")
            << "RTP12_M=239.1.1.1\x7f|LFEC=\t4"
            << "RTP 12 Multicast IP: '239.1.1.1\\x7F' holds a control character, which would "
               "break its command. Nothing was sent."
            << "";
    }
    void sendCheck() {
        QFETCH(QString, texts);
        QFETCH(QString, refusal);
        QFETCH(QString, doubtful);
        controls::ConfigView view;
        std::vector<Ctl> boxes;
        for (const QString& pair : texts.split('|')) {
            const QString name = pair.section('=', 0, 0);
            const QString text = pair.section('=', 1);
            const auto ctl = controls::byName(name.toStdString());
            QVERIFY2(ctl, qPrintable(name));
            boxes.push_back(*ctl);
            view[*ctl].text = text.toStdString();
        }
        const values::SendCheck check = values::checkSent(view, boxes);
        QCOMPARE(QString::fromStdString(check.refusal), refusal);
        QStringList names;
        for (Ctl c : check.doubtful)
            names << QString::fromUtf8(controls::name(c));
        QCOMPARE(names.join(' '), doubtful);
    }

    // The question names each box as the window labels it, its text and the tooltip's words.
    void doubtQuestionNamesEachBox() {
        controls::ConfigView view;
        view[Ctl::Bit1].text = "12x";
        view[Ctl::ipb].text = "300.1.1.1";
        QCOMPARE(QString::fromStdString(
                     values::doubtQuestion("Save Config.", view, std::vector{Ctl::Bit1})),
                 "Save Config. would send a value that cannot be right:\n\n"
                 "Stream 11 Bit Rate '12x': A whole number from 1 to 99999, in digits only.\n\n"
                 "Send it to the board all the same?");
        QCOMPARE(QString::fromStdString(values::doubtQuestion("Save Network Configuration", view,
                                                              std::vector{Ctl::ipb, Ctl::Bit1})),
                 "Save Network Configuration would send values that cannot be right:\n\n"
                 "Static IP '300.1.1.1': An IPv4 address: four numbers from 0 to 255 joined by "
                 "dots, such as 192.168.1.10.\n"
                 "Stream 11 Bit Rate '12x': A whole number from 1 to 99999, in digits only.\n\n"
                 "Send them to the board all the same?");
        // A long text is quoted as every message quotes it.
        view[Ctl::Bit1].text = std::string(70, '9');
        QVERIFY(values::doubtQuestion("Update", view, std::vector{Ctl::Bit1})
                    .find("Stream 11 Bit Rate '" + std::string(60, '9') + "... (70 bytes)'") !=
                std::string::npos);
    }

    void emptyMessageNamesTheBox() {
        QCOMPARE(QString::fromStdString(values::emptyMessage(Ctl::fps1)),
                 "Stream 11 Frame Rate is empty: it takes a whole number from 1 to 999, in "
                 "digits only.");
        QCOMPARE(QString::fromStdString(values::emptyMessage(Ctl::Recfps2)),
                 "Recording 12 Frame Rate is empty: it takes a whole number from 1 to 999, in "
                 "digits only.");
        QCOMPARE(QString::fromStdString(values::emptyMessage(Ctl::S1I)),
                 "Sensor 1 Input is empty.");
    }

    // Every configuration control has a label of its own, so that a message names one box.
    void labelsAreDistinct() {
        QSet<QString> seen;
        for (const auto& row : controls::kCatalogue) {
            const QString label = QString::fromUtf8(controls::label(row.id));
            QVERIFY2(!label.isEmpty() && !seen.contains(label), qPrintable(label));
            seen.insert(label);
        }
    }
};

QTEST_APPLESS_MAIN(ValueRulesTest)
#include "value_rules_test.moc"
