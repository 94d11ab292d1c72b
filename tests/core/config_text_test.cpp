// The configuration as name=value lines and as JSON: which text values may go to the board, what
// a refusal quotes, the network values alone, and JSON that is valid UTF-8 whatever the bytes.
#include "core/config_text.h"
#include "core/value_rules.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace corvane;
using controls::Ctl;

namespace {

// Every control with a value that fromLines accepts: what toLines prints for a plain view with
// the mode panel showing "RTSP".
std::string wholeText() {
    controls::ConfigView view;
    view[Ctl::PARTP].text = "RTSP";
    return configtext::toLines(view, variant::BoardFlags{});
}

// The text with the line of `name` replaced by "name=value".
std::string with(std::string text, const std::string& name, const std::string& value) {
    const std::size_t at = text.find('\n' + name + '=');
    if (at == std::string::npos)
        qFatal("no line %s", name.c_str());
    const std::size_t end = text.find('\n', at + 1);
    return text.replace(at + 1, end - at - 1, name + '=' + value);
}

} // namespace

class ConfigTextTest : public QObject {
    Q_OBJECT
private slots:
    // A text value may hold neither a control character (it would end the frame or start a
    // command of its own) nor, on the mode panel, anything but its four captions.
    void textsThatMayBeSent_data() {
        QTest::addColumn<int>("ctl");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("refusal"); // empty: may be sent
        const auto row = [](const char* tag, Ctl c, const QByteArray& text, const QString& why) {
            QTest::newRow(tag) << int(c) << text << why;
        };
        row("address", Ctl::RTP11_IP, "1.2.3.4", "");
        row("empty", Ctl::RTP11_IP, "", "");
        row("Latin-1 byte", Ctl::RTP11_IP, "10.0.0.\xe9", "");
        row("carriage return and a command", Ctl::RTP11_IP, "1.2.3.4\rA50275",
            "'1.2.3.4\\rA50275' holds a control character");
        row("line feed", Ctl::ipb, "1.2.3.4\n", "'1.2.3.4\\x0A' holds a control character");
        row("NUL", Ctl::Bit1,
            QByteArray("40\0"
                       "00",
                       5),
            "'40\\x0000' holds a control character");
        row("delete", Ctl::gwp, "\x7f", "'\\x7F' holds a control character");
        row("each mode caption: RTSP", Ctl::PARTP, "RTSP", "");
        row("each mode caption: RTP 11", Ctl::PARTP, "RTP 11", "");
        row("each mode caption: RTP 12", Ctl::PARTP, "RTP 12", "");
        row("each mode caption: both", Ctl::PARTP, "RTP 11 + RTP 12", "");
        const QString captions = " is not one of RTSP, RTP 11, RTP 12, RTP 11 + RTP 12";
        row("no mode", Ctl::PARTP, "", "''" + captions);
        row("mode in other case", Ctl::PARTP, "rtsp", "'rtsp'" + captions);
        row("mode letter", Ctl::PARTP, "S", "'S'" + captions);
        row("mode caption with a CR", Ctl::PARTP, "RTSP\r", "'RTSP\\r' holds a control character");
    }
    void textsThatMayBeSent() {
        QFETCH(int, ctl);
        QFETCH(QByteArray, text);
        QFETCH(QString, refusal);
        const auto why = values::textRefused(Ctl(ctl), text.toStdString());
        QCOMPARE(QString::fromStdString(why.value_or("")), refusal);

        // The reader refuses the same, naming the line and the control (a line feed ends its line
        // and a CR before it is the CR of a CR LF, so those two are the view's alone); every
        // refusal a view holds is found in it.
        const bool lineHolds = !text.contains('\n') && !text.endsWith('\r');
        const std::string name(controls::info(Ctl(ctl)).name);
        const std::string lines = with(wholeText(), name, text.toStdString());
        const configtext::Parsed p = configtext::fromLines(lines, variant::BoardFlags{});
        controls::ConfigView view;
        view[Ctl::PARTP].text = "RTSP";
        view[Ctl(ctl)].text = text.toStdString();
        if (refusal.isEmpty()) {
            QVERIFY2(p.ok(), p.error.c_str());
            QCOMPARE(configtext::refusedText(view), std::string());
        } else if (!lineHolds) {
            QCOMPARE(QString::fromStdString(configtext::refusedText(view)),
                     QString::fromStdString(name) + ": " + refusal);
        } else {
            QCOMPARE(QString::fromStdString(p.error),
                     QString::fromStdString(name) + ": " + refusal);
            const std::size_t at = lines.find('\n' + name + '=') + 1;
            QCOMPARE(p.errorLine,
                     int(std::count(lines.begin(), lines.begin() + qsizetype(at), '\n')) + 1);
            QCOMPARE(QString::fromStdString(configtext::refusedText(view)),
                     QString::fromStdString(name) + ": " + refusal);
        }
    }

    // What a refusal repeats from the input is quoted: escaped, and cut after 60 bytes with the
    // whole length named, however long the line.
    void refusalsQuoteTheInput_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("error");
        const QByteArray big(10'000'000, 'x');
        const QString cut = QString(60, 'x') + "... (10000000 bytes)";
        QTest::newRow("10 MB without =") << big << "'" + cut + "' is not name=value";
        QTest::newRow("10 MB name") << big + "=1"
                                    << "unknown name '" + cut + "'";
        QTest::newRow("10 MB list value")
            << "Efmt1=" + big << "Efmt1: '" + cut + "' is not one of H.264, H.265";
        QTest::newRow("10 MB box value")
            << "CEFEC=" + big << "CEFEC: '" + cut + "' is neither on nor off";
        QTest::newRow("escaped name") << QByteArray("B\x01t=1") << "unknown name 'B\\x01t'";
        QTest::newRow("escaped box value")
            << QByteArray("CEFEC=\xff") << "CEFEC: '\\xFF' is neither on nor off";
    }
    void refusalsQuoteTheInput() {
        QFETCH(QByteArray, line);
        QFETCH(QString, error);
        const std::string text = "# first\n" + line.toStdString() + "\n" + wholeText();
        const configtext::Parsed p = configtext::fromLines(text, variant::BoardFlags{});
        QCOMPARE(p.errorLine, 2);
        QCOMPARE(QString::fromStdString(p.error), error);
    }

    // save-network needs the five network values and nothing else; other lines are still read
    // and checked. A whole configuration needs every control.
    void networkValuesAlone() {
        const std::string network = "ipb=10.0.0.5\ngwp=10.0.0.1\nSubB=255.255.0.0\r\nMTUB=1400\n"
                                    "UDPRSIPB=10.0.0.9\n";
        configtext::Parsed p =
            configtext::fromLines(network, variant::BoardFlags{}, configtext::Need::Network);
        QVERIFY2(p.ok(), p.error.c_str());
        QCOMPARE(p.view.text(Ctl::SubB), "255.255.0.0");
        QCOMPARE(p.view.text(Ctl::MTUB), "1400");

        p = configtext::fromLines(network, variant::BoardFlags{});
        QVERIFY(p.error.starts_with("no value for S1I, S2I"));

        p = configtext::fromLines("ipb=10.0.0.5\nBit1=4000\n", variant::BoardFlags{},
                                  configtext::Need::Network);
        QCOMPARE(p.error, "no value for gwp, MTUB, UDPRSIPB, SubB");
        p = configtext::fromLines(network + "PARTP=nope\n", variant::BoardFlags{},
                                  configtext::Need::Network);
        QCOMPARE(p.errorLine, 6);

        p = configtext::fromLines(wholeText(), variant::BoardFlags{}, configtext::Need::Network);
        QVERIFY2(p.ok(), p.error.c_str());
    }

    // JSON is valid UTF-8 whatever a value holds: bytes from 0x80 as their Latin-1 characters,
    // control characters escaped; it reads back to the same values.
    void jsonIsUtf8() {
        controls::ConfigView view;
        view[Ctl::RTP11_IP].text = "10.0.0.\xe9";
        view[Ctl::RTP12_IP].text = "\xff\x80 \"q\" \\ \x01\x7f";
        view[Ctl::PARTP].text = "RTSP";
        view[Ctl::CEFEC].checked = true;
        const std::string json = configtext::toJson(view, variant::BoardFlags{});
        const QByteArray bytes = QByteArray::fromStdString(json);
        QCOMPARE(QString::fromUtf8(bytes).toUtf8(), bytes); // nothing lost to invalid sequences
        QJsonParseError error{};
        const QJsonObject o = QJsonDocument::fromJson(bytes, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(o.size(), qsizetype(controls::kCatalogue.size()));
        QCOMPARE(o["RTP11_IP"].toString(), QString::fromLatin1("10.0.0.\xe9"));
        QCOMPARE(o["RTP12_IP"].toString(), QString::fromLatin1("\xff\x80 \"q\" \\ \x01\x7f"));
        QCOMPARE(o["CEFEC"].toBool(), true);
        QCOMPARE(o["PARTP"].toString(), QString("RTSP"));
    }
};

QTEST_APPLESS_MAIN(ConfigTextTest)
#include "config_text_test.moc"
