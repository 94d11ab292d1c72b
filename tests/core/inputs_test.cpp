// Picking a sensor input or a resolution: frame rates, floors and module flags.
#include "core/inputs.h"
#include "support/board_presets.h"

#include <QtTest>

using namespace corvane;
using namespace corvane::inputs;
using variant::BoardFlags;
using variant::Channel;
using variant::Module;

namespace {

QString describe(const variant::ModuleFlags& m) {
    return QString("%1%2%3")
        .arg(m.sdi ? 'S' : '-')
        .arg(m.analog ? 'A' : '-')
        .arg(m.hdmi ? 'H' : '-');
}

Channel channelOf(int stream) {
    return stream == 12 ? Channel::Ch12 : Channel::Ch11;
}

} // namespace

class InputsTest : public QObject {
    Q_OBJECT

private slots:
    void floor_data();
    void floor();
    void selectInput_data();
    void selectInput();
    void pickResolution_data();
    void pickResolution();
    void streamsIndependent();
    void everyListItemHasARow();
};

void InputsTest::floor_data() {
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("floor");
    QTest::addColumn<int>("expected");
    QTest::newRow("no selection, no floor") << -1 << kNoFloor << -1;
    QTest::newRow("no selection counts as below") << -1 << 2 << 2;
    QTest::newRow("below is raised") << 0 << 3 << 3;
    QTest::newRow("at the floor stays") << 3 << 3 << 3;
    QTest::newRow("never lowered") << 5 << 1 << 5;
    QTest::newRow("704 x 576 passes NTSC") << 7 << 3 << 7;
}

void InputsTest::floor() {
    QFETCH(int, selected);
    QFETCH(int, floor);
    QFETCH(int, expected);
    QCOMPARE(applyFloor(selected, floor), expected);
}

void InputsTest::selectInput_data() {
    QTest::addColumn<QString>("flags");
    QTest::addColumn<int>("stream");
    QTest::addColumn<QString>("item");
    QTest::addColumn<int>("res");
    QTest::addColumn<int>("recRes");
    QTest::addColumn<QString>("expected"); // "fps res recRes modules"

    auto row = [](const char* name, const char* flags, int stream, const char* item, int res,
                  int recRes, const char* expected) {
        QTest::newRow(name) << flags << stream << item << res << recRes << expected;
    };
    // Full board.
    row("720p raises both lists", "full N N", 11, "HD SDI 720P60", 0, 0, "60 1 1 S--");
    row("floor never lowers, none counts as below", "full N N", 11, "HD SDI 720P60", 4, -1,
        "60 4 1 S--");
    row("1080p sets no floor", "full N N", 11, "HD SDI 1080P60", -1, -1, "60 -1 -1 S--");
    row("SDI input clears analog", "full A N", 11, "HD SDI 1080P30", 0, 0, "30 0 0 S--");
    row("NTSC floor", "full S N", 11, "Analog NTSC 480P60", 0, 2, "60 3 3 -A-");
    row("PAL floor lets 704 x 576 through", "full N N", 11, "Analog PAL 576P50", 7, 5,
        "50 7 5 -A-");
    row("NTSC bar lets 448 x 336 through", "full N N", 11, "Analog NTSC BAR", 8, 3, "60 8 3 -A-");
    row("PAL bar", "full N N", 11, "Analog PAL BAR", 1, 0, "50 2 2 -A-");
    row("HDMI flag left alone", "full SH N", 11, "Analog PAL 576P50", 0, 0, "50 2 2 -AH");
    row("no sensor changes nothing", "full S N", 11, "No Sensor", 0, 0, "- 0 0 S--");
    row("no selection changes nothing", "full S N", 11, "", 0, -1, "- 0 -1 S--");
    row("unknown text changes nothing", "full S N", 11, "HD SDI 1080P61", 0, -1, "- 0 -1 S--");
    // Design-time list (no board file): the HDMI items act as HDMI inputs, flags untouched.
    row("design-time HDMI 720p", "full A N", 11, "HDMI 720P60", 0, 0, "60 1 1 -A-");
    row("design-time HDMI 1080p", "full S N", 11, "HDMI 1080P30", 0, -1, "30 0 -1 S--");
    // Small board: by the channel's module; flags never change.
    row("small SDI 720p", "small S N", 11, "HD SDI 720P30", 0, 0, "30 1 1 S--");
    row("small SDI 1080P50 pre-fills 50, no floor", "small S N", 11, "HD SDI 1080P50", 0, -1,
        "50 0 -1 S--");
    row("small SDI no sensor", "small S N", 11, "No Sensor", 0, 0, "- 0 0 S--");
    row("small analog NTSC", "small A N", 11, "Analog NTSC 480P60", 1, 0, "60 3 3 -A-");
    row("small HDMI 720p", "small H N", 11, "HDMI 720P30", 0, 5, "30 1 5 --H");
    row("small HDMI 1080p", "small H N", 11, "HDMI 1080P60", 2, 0, "60 2 0 --H");
    row("small, no module does nothing", "small N N", 11, "HD SDI 720P60", 0, 0, "- 0 0 ---");
    // Stream 12 uses channel 12's flags only.
    row("stream 12 full", "full S S", 12, "Analog PAL 576P50", 0, 0, "50 2 2 -A-");
    row("stream 12 without module, channel 11 with", "small S N", 12, "HD SDI 720P60", 0, 0,
        "- 0 0 ---");
    row("stream 12 with module, channel 11 without", "small N H", 12, "HDMI 720P60", 0, 0,
        "60 1 1 --H");
}

void InputsTest::selectInput() {
    QFETCH(QString, flags);
    QFETCH(int, stream);
    QFETCH(QString, item);
    QFETCH(int, res);
    QFETCH(int, recRes);
    QFETCH(QString, expected);
    InputEffect e =
        inputs::selectInput(flagsOf(flags), channelOf(stream), item.toStdString(), res, recRes);
    QCOMPARE(QString("%1 %2 %3 %4")
                 .arg(e.fps ? QString::fromStdString(*e.fps) : QString("-"))
                 .arg(e.res)
                 .arg(e.recRes)
                 .arg(describe(e.modules)),
             expected);
}

void InputsTest::pickResolution_data() {
    QTest::addColumn<QString>("flags");
    QTest::addColumn<int>("stream");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QList<int>>("picked");
    QTest::addColumn<QList<int>>("expected");

    const QList<int> all{0, 1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("NTSC") << "full A N" << 11 << "Analog NTSC 480P60" << all
                          << QList<int>{3, 3, 3, 3, 4, 5, 6, 7, 8};
    QTest::newRow("PAL") << "full A N" << 11 << "Analog PAL 576P50" << all
                         << QList<int>{2, 2, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("720p") << "full S N" << 11 << "HD SDI 720P30" << all
                          << QList<int>{1, 1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("1080p: no floor") << "full S N" << 11 << "HD SDI 1080P60" << all << all;
    QTest::newRow("no sensor: no floor") << "full S N" << 11 << "No Sensor" << all << all;
    QTest::newRow("no input selected") << "full S N" << 11 << "" << all << all;
    QTest::newRow("design-time HDMI 720p")
        << "full N N" << 11 << "HDMI 720P60" << all << QList<int>{1, 1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("small HDMI 720p")
        << "small H N" << 11 << "HDMI 720P30" << all << QList<int>{1, 1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("small analog bar")
        << "small A N" << 11 << "Analog PAL BAR" << all << QList<int>{2, 2, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("small SDI 1080P50") << "small S N" << 11 << "HD SDI 1080P50" << all << all;
    QTest::newRow("small, no module") << "small N A" << 11 << "Analog NTSC 480P60" << all << all;
    QTest::newRow("stream 12 NTSC") << "small N A" << 12 << "Analog NTSC 480P60" << all
                                    << QList<int>{3, 3, 3, 3, 4, 5, 6, 7, 8};
}

void InputsTest::pickResolution() {
    QFETCH(QString, flags);
    QFETCH(int, stream);
    QFETCH(QString, input);
    QFETCH(QList<int>, picked);
    QFETCH(QList<int>, expected);
    QList<int> got;
    for (int p : picked)
        got << inputs::pickResolution(flagsOf(flags), channelOf(stream), input.toStdString(), p);
    QCOMPARE(got, expected);
}

void InputsTest::streamsIndependent() {
    // Stream 11's result is the same whatever channel 12's module flags are, and the reverse.
    for (const char* other : {"N", "S", "A", "H"}) {
        for (const char* board : {"full", "small"}) {
            BoardFlags f11 = flagsOf(QString("%1 H %2").arg(board, other));
            BoardFlags base11 = flagsOf(QString("%1 H N").arg(board));
            QCOMPARE(inputs::selectInput(f11, Channel::Ch11, "HDMI 720P30", 0, 0),
                     inputs::selectInput(base11, Channel::Ch11, "HDMI 720P30", 0, 0));
            BoardFlags f12 = flagsOf(QString("%1 %2 A").arg(board, other));
            BoardFlags base12 = flagsOf(QString("%1 N A").arg(board));
            QCOMPARE(inputs::selectInput(f12, Channel::Ch12, "Analog NTSC BAR", -1, -1),
                     inputs::selectInput(base12, Channel::Ch12, "Analog NTSC BAR", -1, -1));
        }
    }
}

void InputsTest::everyListItemHasARow() {
    // Every item a list can show is known, and floors stay within the recording list.
    std::vector<const std::vector<std::string>*> lists{&variant::designTimeList(),
                                                       &variant::fullList()};
    for (int m = 0; m < 4; ++m)
        lists.push_back(&variant::moduleList(Module(m)));
    for (auto* list : lists)
        for (const auto& item : *list)
            QVERIFY2(inputRow(item), item.c_str());
    for (const auto& row : kInputs)
        QVERIFY(row.floor < kRecResolutionCount);
}

QTEST_GUILESS_MAIN(InputsTest)
#include "inputs_test.moc"
