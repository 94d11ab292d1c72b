// Auto-detection and assembly replies: what the windows select and show for each reply.
#include "core/detection.h"
#include "support/board_presets.h"

#include <QtTest>

using namespace corvane;
using namespace corvane::detection;
using variant::BoardFlags;
using variant::Module;

namespace {

std::string str(const QByteArray& b) {
    return std::string(b.constData(), std::size_t(b.size()));
}

QString opt(const std::optional<int>& v) {
    return v ? QString::number(*v) : QString("-");
}

QString opt(const std::optional<std::string>& v) {
    return v ? "\"" + QString::fromStdString(*v) + "\"" : QString("-");
}

// The list the window shows: "variant" the lists the flags' variant puts up, "full" the full
// list, "design" the thirteen design-time items.
std::vector<std::string> listOf(const QString& lists, const QString& preset, int channel) {
    if (lists == "design")
        return variant::designTimeList();
    if (lists == "full" || preset.startsWith("full"))
        return variant::fullList();
    return variant::moduleList(moduleOf(preset.split(' ')[channel][0]));
}

} // namespace

class DetectionTest : public QObject {
    Q_OBJECT

private slots:
    void autoDetection_data();
    void autoDetection();
    void cutting_data();
    void cutting();
    void assembly_data();
    void assembly();
};

void DetectionTest::autoDetection_data() {
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("lists");
    QTest::addColumn<QString>("expected"); // "s1i s2i panel8 error"

    auto row = [](const char* name, const char* buffer, const char* flags, const char* expected,
                  const char* lists = "variant") {
        QTest::newRow(name) << QByteArray(buffer) << flags << lists << expected;
    };
    // Tables and positions per variant.
    row("small SDI + analog", "22882B$01$%1", "small S A", "0 0 \"Client Connected\" -");
    row("full SDI + analog", "22882B$01$%1", "full S A", "0 4 \"Client Connected\" -");
    row("no sensor, small", "22881D$00$%f", "small S A", "4 4 \"\" -");
    row("no sensor, full", "22883C$00$%2", "full S A", "8 8 \"Client DisConnected\" -");
    row("SDI 1080P30 and 720P30 codes", "22882D$03$%1", "small S S", "1 3 \"Client Connected\" -");
    row("SDI 720P60 code 20, lower-case hex", "228820$2b$%1", "full S S",
        "2 0 \"Client Connected\" -");
    row("low eight bits of 12B", "228812B$01$%1", "small S A", "0 0 - -"); // "%" ends W
    row("HDMI codes 4 and 3 both 720P60", "228804$03$%1", "small H H",
        "2 2 \"Client Connected\" -");
    row("HDMI codes 1, 0", "228801$00$%1", "small H H", "0 4 \"Client Connected\" -");
    row("analog NTSC", "228802$02$%1", "full A A", "5 5 \"Client Connected\" -");
    row("codes outside the tables", "228877$09$%1", "small S A", "- - \"Client Connected\" -");
    row("full board has no HDMI table", "2288zz$zz$%1", "full H H", "- - \"Client Connected\" -");
    row("no module: any text accepted", "22882B$zz$%1", "small S N", "0 - \"Client Connected\" -");
    row("other status leaves Panel8", "22882B$01$%x", "small S A", "0 0 - -");
    row("text before the marker, first marker counts", "junk22882B$01$%1 2288", "small S A",
        "0 0 \"Client Connected\" -");

    // Conversion errors: the message has "$" before the code; earlier selections stay.
    row("bad channel 11 code", "2288ZZ$01$%1", "small S A",
        "- - - \"'$ZZ' is not a valid integer value\"");
    row("bad channel 12 code after channel 11", "22882B$QQ$%1", "small S S",
        "0 - - \"'$QQ' is not a valid integer value\"");
    row("small order: SDI 12 before analog 11", "2288ZZ$2B$%1", "small A S",
        "- 0 - \"'$ZZ' is not a valid integer value\"");
    row("full order: SDI 12 before analog 11", "2288ZZ$2B$%1", "full A S",
        "- 0 - \"'$ZZ' is not a valid integer value\"");
    row("empty code", "2288$01$%1", "small S A", "- - - \"'$' is not a valid integer value\"");
    row("no $ in the reply", "22882B01%1", "small S A",
        "- - - \"'$' is not a valid integer value\"");
    row("buffer ends early", "22882B", "small S N", "- - - \"'$' is not a valid integer value\"");
    row("no $ but no module either", "22882B01%1", "small N N", "- - \"Client Connected\" -");

    // The lists on screen decide the position of the detected input.
    row("design-time lists, no sensor", "22881D$00$%1", "full S A", "12 12 \"Client Connected\" -",
        "design");
    row("design-time lists, inputs", "22882B$02$%1", "full S A", "0 5 \"Client Connected\" -",
        "design");
    row("small flags over the full list", "22881E$00$%1", "small S A", "8 8 \"Client Connected\" -",
        "full");
    row("HDMI input not in the full list", "228801$01$%1", "small H A",
        "- 4 \"Client Connected\" -", "full");
}

void DetectionTest::autoDetection() {
    QFETCH(QByteArray, buffer);
    QFETCH(QString, flags);
    QFETCH(QString, lists);
    QFETCH(QString, expected);
    AutResult r =
        decodeAutRes(str(buffer), flagsOf(flags), listOf(lists, flags, 1), listOf(lists, flags, 2));
    QCOMPARE(QString("%1 %2 %3 %4").arg(opt(r.s1i), opt(r.s2i), opt(r.panel8), opt(r.error)),
             expected);
}

void DetectionTest::cutting_data() {
    QTest::addColumn<QByteArray>("buffer");
    QTest::addColumn<QString>("expected"); // w|r1|r2|status

    QTest::newRow("well formed") << QByteArray("22882B$01$%1") << "2B$01$%1|2B|01|1";
    QTest::newRow("long second code cut at four")
        << QByteArray("22882B$0123$%1") << "2B$0123$|2B||-";
    QTest::newRow("no $") << QByteArray("22882B01%1") << "2B01%1|||1";
    QTest::newRow("starts with $") << QByteArray("2288$01$%f") << "$01$%f||01|f";
    QTest::newRow("% last in W") << QByteArray("22881234$5$%1") << "1234$5$%|1234|5|-";
    QTest::newRow("no marker") << QByteArray("2B$01$%1") << "|||-";
    QTest::newRow("empty") << QByteArray() << "|||-";
}

void DetectionTest::cutting() {
    QFETCH(QByteArray, buffer);
    QFETCH(QString, expected);
    AutoReplyParts p = cutAutRes(str(buffer));
    const QString status = p.status ? QString(QChar(*p.status)) : QString("-");
    QCOMPARE(QString("%1|%2|%3|%4")
                 .arg(QString::fromStdString(p.w), QString::fromStdString(p.r1),
                      QString::fromStdString(p.r2), status),
             expected);
}

void DetectionTest::assembly_data() {
    QTest::addColumn<QByteArray>("text");  // the assembly text as the dispatch cuts it
    QTest::addColumn<QString>("expected"); // "c11g c12g error"

    QTest::newRow("HD SDI + analog") << QByteArray("A81x3") << "0 1 -";
    QTest::newRow("none + HDMI") << QByteArray("A80y2") << "3 2 -";
    QTest::newRow("digit 7 leaves channel 11") << QByteArray("A87x0") << "- 3 -";
    QTest::newRow("both unknown digits") << QByteArray("A8999") << "- - -";
    QTest::newRow("G inside the text") << QByteArray("A81G3") << "0 1 -";
    QTest::newRow("channel 11 not a digit")
        << QByteArray("A8x13") << "- - \"'x' is not a valid integer value\"";
    QTest::newRow("channel 12 not a digit: nothing selected")
        << QByteArray("A81x ") << "- - \"' ' is not a valid integer value\"";
    QTest::newRow("too short") << QByteArray("A81x") << "- - \"'' is not a valid integer value\"";
}

void DetectionTest::assembly() {
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    AssemblyResult r = findAssem(str(text));
    QCOMPARE(QString("%1 %2 %3").arg(opt(r.c11g), opt(r.c12g), opt(r.error)), expected);
}

QTEST_GUILESS_MAIN(DetectionTest)
#include "detection_test.moc"
