// Board variant: brdf.ini at start-up, the board dialog's Save and the file it writes.
#include "core/variant.h"
#include "support/bytes.h"

#include <QtTest>

using namespace corvane::variant;

namespace {

std::string str(const QByteArray& b) {
    return std::string(b.constData(), std::size_t(b.size()));
}

QString describe(const ModuleFlags& m) {
    return QString("%1%2%3")
        .arg(m.sdi ? 'S' : '-')
        .arg(m.analog ? 'A' : '-')
        .arg(m.hdmi ? 'H' : '-');
}

QString describe(const BoardFlags& f) {
    return QString("full=%1 bv=%2 11=%3 12=%4")
        .arg(int(f.fullBoard))
        .arg(f.boardVariant)
        .arg(describe(f.ch11), describe(f.ch12));
}

// "caption: item|item|... @selected", or "untouched".
QString describe(const std::optional<StreamView>& v) {
    if (!v)
        return "untouched";
    QStringList items;
    for (const auto& i : v->items)
        items << QString::fromStdString(i);
    return QString("%1: %2 @%3")
        .arg(QString::fromStdString(v->caption), items.join('|'))
        .arg(v->selected);
}

QString optIndex(const std::optional<int>& i) {
    return i ? QString::number(*i) : QString("-");
}

const QString kFull11 = "RTSP Stream 11: HD SDI 1080P60|HD SDI 1080P30|HD SDI 720P60|HD SDI 720P30|"
                        "Analog PAL 576P50|Analog NTSC 480P60|Analog PAL BAR|Analog NTSC BAR|No "
                        "Sensor @-1";
const QString kFull12 = QString(kFull11).replace("Stream 11", "Stream 12");
const QString kSdiItems = "HD SDI 1080P60|HD SDI 1080P30|HD SDI 720P60|HD SDI 720P30|No Sensor|"
                          "HD SDI 1080P50";
const QString kAnalogItems = "Analog PAL 576P50|Analog NTSC 480P60|Analog PAL BAR|Analog NTSC BAR|"
                             "No Sensor";
const QString kHdmiItems = "HDMI 1080P60|HDMI 1080P30|HDMI 720P60|HDMI 720P30|No Sensor";

BoardFlags startFlags(const QString& preset) {
    BoardFlags f;
    if (preset == "ch11 analog, ch12 hdmi") {
        f.ch11.analog = true;
        f.ch12.hdmi = true;
    } else if (preset == "small") {
        f.fullBoard = false;
        f.boardVariant = 1;
    }
    return f;
}

} // namespace

class VariantTest : public QObject {
    Q_OBJECT

private slots:
    void boardFile_data();
    void boardFile();
    void save_data();
    void save();
    void lists();
};

void VariantTest::boardFile_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("start");
    QTest::addColumn<bool>("applies");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("stream11");
    QTest::addColumn<QString>("stream12");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("groups"); // C11G,C12G positions to select

    QTest::newRow("Corvane") << QByteArray("Corvane\r\n") << "" << true << "Corvane" << kFull11
                             << kFull12 << "full=1 bv=0 11=--- 12=---"
                             << "-,-";
    QTest::newRow("Corvane, module flags kept, later lines ignored")
        << QByteArray("Corvane\nSDI\nNone") << "ch11 analog, ch12 hdmi" << true << "Corvane"
        << kFull11 << kFull12 << "full=1 bv=0 11=-A- 12=--H"
        << "-,-";
    QTest::newRow("Lumo SDI None")
        << QByteArray("Lumo\r\nSDI\r\nNone\r\n") << "" << true << "Corvane Lumo"
        << "RTSP Stream 11 (HD SDI): " + kSdiItems + " @-1"
        << "RTSP Stream 12 (No Module): No Sensor @0"
        << "full=0 bv=1 11=S-- 12=---"
        << "0,3";
    QTest::newRow("Lumo HDMI Analog, LF only")
        << QByteArray("Lumo\nHDMI\nAnalog\n") << "" << true << "Corvane Lumo"
        << "RTSP Stream 11 (HDMI): " + kHdmiItems + " @-1"
        << "RTSP Stream 12 (Analog): " + kAnalogItems + " @-1"
        << "full=0 bv=1 11=--H 12=-A-"
        << "2,1";
    QTest::newRow("Lumo replaces the old module flags")
        << QByteArray("Lumo\r\nSDI\r\nHDMI\r\n") << "ch11 analog, ch12 hdmi" << true
        << "Corvane Lumo"
        << "RTSP Stream 11 (HD SDI): " + kSdiItems + " @-1"
        << "RTSP Stream 12 (HDMI): " + kHdmiItems + " @-1"
        << "full=0 bv=1 11=S-- 12=--H"
        << "0,2";
    QTest::newRow("Lumo alone") << QByteArray("Lumo\r\n") << "" << true << "Corvane Lumo"
                                << "untouched"
                                << "untouched"
                                << "full=0 bv=1 11=--- 12=---"
                                << "-,-";
    QTest::newRow("Lumo, file ends after line 2")
        << QByteArray("Lumo\r\nAnalog") << "ch11 analog, ch12 hdmi" << true << "Corvane Lumo"
        << "RTSP Stream 11 (Analog): " + kAnalogItems + " @-1"
        << "untouched"
        << "full=0 bv=1 11=-A- 12=--H"
        << "1,-";
    QTest::newRow("keywords in other case or with spaces")
        << QByteArray("Lumo\r\nsdi\r\nHDMI \r\n") << "ch11 analog, ch12 hdmi" << true
        << "Corvane Lumo"
        << "untouched"
        << "untouched"
        << "full=0 bv=1 11=-A- 12=--H"
        << "-,-";
    for (const char* first : {"corvane", "Corvane ", " Corvane", "Lumo ", "LUMO", "", "\xff"}) {
        QTest::addRow("first line '%s' not recognised", first)
            << QByteArray(first).append("\r\nSDI\r\nSDI\r\n") << "" << false << ""
            << ""
            << ""
            << ""
            << "";
    }
    QTest::newRow("empty file") << QByteArray() << "" << false << ""
                                << ""
                                << ""
                                << ""
                                << "";
}

void VariantTest::boardFile() {
    QFETCH(QByteArray, file);
    QFETCH(QString, start);
    QFETCH(bool, applies);
    auto effect = variantFromBoardFile(str(file), startFlags(start));
    QCOMPARE(effect.has_value(), applies);
    if (!applies)
        return;
    QFETCH(QString, title);
    QFETCH(QString, stream11);
    QFETCH(QString, stream12);
    QFETCH(QString, flags);
    QFETCH(QString, groups);
    QCOMPARE(QString::fromStdString(effect->title), title);
    QCOMPARE(describe(effect->stream11), stream11);
    QCOMPARE(describe(effect->stream12), stream12);
    QCOMPARE(describe(effect->flags), flags);
    QCOMPARE(optIndex(effect->c11gIndex) + "," + optIndex(effect->c12gIndex), groups);
}

void VariantTest::save_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("c11g");
    QTest::addColumn<int>("c12g");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("stream11");
    QTest::addColumn<QString>("stream12");
    QTest::addColumn<QString>("flags");

    QTest::newRow("full board keeps module flags")
        << "ch11 analog, ch12 hdmi" << 0 << 0 << QByteArray("Corvane\r\n") << "Corvane" << kFull11
        << kFull12 << "full=1 bv=0 11=-A- 12=--H";
    QTest::newRow("small HDMI None")
        << "small" << 2 << 3 << QByteArray("Lumo\r\nHDMI\r\nNone\r\n") << "Corvane Lumo"
        << "RTSP Stream 11 (HDMI): " + kHdmiItems + " @-1"
        << "RTSP Stream 12 (No Module): No Sensor @0"
        << "full=0 bv=1 11=--H 12=---";
    QTest::newRow("small SDI Analog")
        << "small" << 0 << 1 << QByteArray("Lumo\r\nSDI\r\nAnalog\r\n") << "Corvane Lumo"
        << "RTSP Stream 11 (HD SDI): " + kSdiItems + " @-1"
        << "RTSP Stream 12 (Analog): " + kAnalogItems + " @-1"
        << "full=0 bv=1 11=S-- 12=-A-";
    QTest::newRow("small, channel 11 group without selection keeps its line")
        << "small" << -1 << 0 << QByteArray("Lumo\r\n\r\nSDI\r\n") << "Corvane Lumo"
        << "untouched"
        << "RTSP Stream 12 (HD SDI): " + kSdiItems + " @-1"
        << "full=0 bv=1 11=--- 12=S--";
    QTest::newRow("small, channel 12 group without selection")
        << "small" << 1 << -1 << QByteArray("Lumo\r\nAnalog\r\n") << "Corvane Lumo"
        << "RTSP Stream 11 (Analog): " + kAnalogItems + " @-1"
        << "untouched"
        << "full=0 bv=1 11=-A- 12=---";
    QTest::newRow("small, no selection in either group")
        << "small" << -1 << 7 << QByteArray("Lumo\r\n") << "Corvane Lumo"
        << "untouched"
        << "untouched"
        << "full=0 bv=1 11=--- 12=---";
}

void VariantTest::save() {
    QFETCH(QString, start);
    QFETCH(int, c11g);
    QFETCH(int, c12g);
    QFETCH(QByteArray, file);
    QFETCH(QString, title);
    QFETCH(QString, stream11);
    QFETCH(QString, stream12);
    QFETCH(QString, flags);
    const BoardFlags before = startFlags(start);
    QCOMPARE(bytes(writeBoardFile(before, c11g, c12g)), file);
    VariantEffect e = saveBoardDialog(before, c11g, c12g);
    QCOMPARE(QString::fromStdString(e.title), title);
    QCOMPARE(describe(e.stream11), stream11);
    QCOMPARE(describe(e.stream12), stream12);
    QCOMPARE(describe(e.flags), flags);
    QVERIFY(!e.c11gIndex && !e.c12gIndex);

    // What Save writes, start-up reads back to the same lists and flags.
    auto reread = variantFromBoardFile(writeBoardFile(before, c11g, c12g), before);
    QVERIFY(reread);
    QCOMPARE(describe(reread->stream11), stream11);
    QCOMPARE(describe(reread->stream12), stream12);
    QCOMPARE(describe(reread->flags), flags);
}

void VariantTest::lists() {
    QCOMPARE(designTimeList().size(), std::size_t(13));
    QCOMPARE(designTimeList()[6], std::string("HDMI 1080P60"));
    QCOMPARE(designTimeList().back(), std::string("No Sensor"));
    for (int i = 0; i < 4; ++i) {
        auto m = moduleFromIndex(i);
        QVERIFY(m);
        QCOMPARE(moduleFromKeyword(keyword(*m)), m);
        QVERIFY(flagsFor(*m).any() == (*m != Module::None));
    }
    QVERIFY(!moduleFromIndex(-1));
    QVERIFY(!moduleFromIndex(4));
    QCOMPARE(moduleCaption(Channel::Ch12, Module::None), std::string("RTSP Stream 12 (No Module)"));
}

QTEST_GUILESS_MAIN(VariantTest)
#include "variant_test.moc"
