// Picking sensor inputs and resolutions in the main window: the handlers run when the operator
// picks from a list, never when code selects a position, and they write the right stream's
// controls in the main window and the recording dialog.
#include "app/windows.h"
#include "core/variant.h"
#include "support/board_lists.h"
#include "support/operator.h"
#include "support/program.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

namespace {

// "SA-": sdi, analog, hdmi of one channel.
QString flagsText(bool sdi, bool analog, bool hdmi) {
    return QString("%1%2%3").arg(sdi ? 'S' : '-').arg(analog ? 'A' : '-').arg(hdmi ? 'H' : '-');
}

void setFlags(TForm1& form1, int stream, const QString& text) {
    bool& sdi = stream == 12 ? form1.Board.ch12.sdi : form1.Board.ch11.sdi;
    bool& analog = stream == 12 ? form1.Board.ch12.analog : form1.Board.ch11.analog;
    bool& hdmi = stream == 12 ? form1.Board.ch12.hdmi : form1.Board.ch11.hdmi;
    sdi = text.contains('S');
    analog = text.contains('A');
    hdmi = text.contains('H');
}

QString flagsOf(const TForm1& form1, int stream) {
    return stream == 12
               ? flagsText(form1.Board.ch12.sdi, form1.Board.ch12.analog, form1.Board.ch12.hdmi)
               : flagsText(form1.Board.ch11.sdi, form1.Board.ch11.analog, form1.Board.ch11.hdmi);
}

// One stream's controls as the operator sees them.
struct StreamView {
    QComboBox* input;
    QComboBox* res;
    QLineEdit* fps;
    QComboBox* recRes;
    QLineEdit* recFps;

    // "fps recFps res recRes", "-" for an empty text.
    QString state() const {
        auto t = [](QLineEdit* e) { return e->text().isEmpty() ? QString("-") : e->text(); };
        return QString("%1 %2 %3 %4")
            .arg(t(fps), t(recFps))
            .arg(res->currentIndex())
            .arg(recRes->currentIndex());
    }
};

struct Program : RunningProgram {
    Program() {
        w->Form3->show();
        runEventLoop(0);
    }
    StreamView stream(int n) const {
        const bool s12 = n == 12;
        TForm1* f = w->Form1.get();
        return {
            child<QComboBox>(f, s12 ? "S2I" : "S1I"), child<QComboBox>(f, s12 ? "Res2" : "Res1"),
            child<QLineEdit>(f, s12 ? "fps2" : "fps1"),
            s12 ? child<QComboBox>(w->Form3, "RecRes2") : child<QComboBox>(w->Form3, "RecRes1"),
            s12 ? child<QLineEdit>(w->Form3, "Recfps2") : child<QLineEdit>(w->Form3, "Recfps1")};
    }
};

} // namespace

class InputsWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { quietPopupWarnings(); }
    void pickingAnInput_data();
    void pickingAnInput();
    void codeSelectionRunsNothing();
    void frameRateGoesToTheMainWindowFirst();
    void pickingAResolution_data();
    void pickingAResolution();
};

void InputsWindowTest::pickingAnInput_data() {
    QTest::addColumn<QString>("board");
    QTest::addColumn<int>("stream");
    QTest::addColumn<QString>("flags");  // the stream's module flags before
    QTest::addColumn<QString>("before"); // "fps recFps res recRes"
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("flagsAfter");

    auto row = [](const char* name, const char* board, int stream, const char* flags,
                  const char* before, const char* item, const char* after, const char* flagsAfter) {
        QTest::newRow(name) << board << stream << flags << before << item << after << flagsAfter;
    };
    row("full 720p raises both lists", "full", 11, "---", "- - 0 0", "HD SDI 720P60",
        "60 60 1 1 S--", "S--");
    row("full stream 12 NTSC, nothing selected in the recording list", "full", 12, "S--",
        "30 30 0 -1", "Analog NTSC 480P60", "60 60 3 3", "-A-");
    row("floor never lowers", "full", 11, "-A-", "- - 4 5", "HD SDI 720P30", "30 30 4 5", "S--");
    row("PAL bar lets 704 x 576 through", "full", 12, "---", "- - 7 0", "Analog PAL BAR",
        "50 50 7 2", "-A-");
    row("No Sensor changes nothing", "full", 11, "-A-", "25 24 0 0", "No Sensor", "25 24 0 0",
        "-A-");
    row("design-time HDMI item acts as an HDMI input", "design", 11, "-A-", "- - 0 0",
        "HDMI 720P60", "60 60 1 1", "-A-");
    row("design-time analog item after the HDMI ones", "design", 12, "S--", "- - 0 0",
        "Analog NTSC BAR", "60 60 3 3", "-A-");
    row("design-time No Sensor", "design", 11, "S--", "60 60 1 1", "No Sensor", "60 60 1 1", "S--");
    row("small SDI 1080P50 pre-fills 50, no floor", "small S N", 11, "S--", "- - 0 -1",
        "HD SDI 1080P50", "50 50 0 -1", "S--");
    row("small HDMI 720p", "small H A", 11, "--H", "- - 0 0", "HDMI 720P30", "30 30 1 1", "--H");
    row("small analog on stream 12", "small H A", 12, "-A-", "- - 1 1", "Analog PAL 576P50",
        "50 50 2 2", "-A-");
    row("small, no module", "small S N", 12, "---", "- - 0 0", "No Sensor", "- - 0 0", "---");
}

void InputsWindowTest::pickingAnInput() {
    QFETCH(QString, board);
    QFETCH(int, stream);
    QFETCH(QString, flags);
    QFETCH(QString, before);
    QFETCH(QString, item);
    QFETCH(QString, after);
    QFETCH(QString, flagsAfter);
    after = after.section(' ', 0, 3);

    Program p;
    TForm1& form1 = *p.w->Form1;
    setBoard(form1, board);
    setFlags(form1, stream, flags);
    const int otherStream = stream == 12 ? 11 : 12;
    setFlags(form1, otherStream, "SAH");

    // The other stream shows something a floor or a frame rate would change.
    const StreamView other = p.stream(otherStream);
    other.fps->setText("7");
    other.recFps->setText("8");
    other.res->setCurrentIndex(0);
    other.recRes->setCurrentIndex(0);
    const QString otherBefore = other.state();

    const StreamView s = p.stream(stream);
    const QStringList b = before.split(' ');
    s.fps->setText(b[0] == "-" ? QString() : b[0]);
    s.recFps->setText(b[1] == "-" ? QString() : b[1]);
    s.res->setCurrentIndex(b[2].toInt());
    s.recRes->setCurrentIndex(b[3].toInt());
    QCOMPARE(s.state(), before);

    pick(s.input, item);
    QCOMPARE(s.input->currentText(), item);
    QCOMPARE(s.state(), after);
    QCOMPARE(flagsOf(form1, stream), flagsAfter);
    QCOMPARE(other.state(), otherBefore);
    QCOMPARE(flagsOf(form1, otherStream), QStringLiteral("SAH"));
}

void InputsWindowTest::codeSelectionRunsNothing() {
    Program p;
    TForm1& form1 = *p.w->Form1;
    setBoard(form1, "full");
    for (int n : {11, 12}) {
        const StreamView s = p.stream(n);
        s.res->setCurrentIndex(0);
        s.recRes->setCurrentIndex(0);
        // Selecting from code, as the configuration reader does: no frame rate, no floor, no flag.
        s.input->setCurrentIndex(s.input->findText("Analog NTSC 480P60"));
        s.res->setCurrentIndex(1);
        s.recRes->setCurrentIndex(2);
        QCOMPARE(s.state(), QStringLiteral("- - 1 2"));
        QCOMPARE(flagsOf(form1, n), QStringLiteral("---"));

        // The operator picks the same input again: now it acts.
        pick(s.input, "Analog NTSC 480P60");
        QCOMPARE(s.state(), QStringLiteral("60 60 3 3"));
        QCOMPARE(flagsOf(form1, n), QStringLiteral("-A-"));

        // Picking the resolution the list already shows runs the handler too.
        s.res->setCurrentIndex(0);
        QCOMPARE(s.res->currentIndex(), 0);
        pick(s.res, 0);
        QCOMPARE(s.res->currentIndex(), 3);
    }
}

void InputsWindowTest::frameRateGoesToTheMainWindowFirst() {
    Program p;
    setBoard(*p.w->Form1, "small A S");
    for (int n : {11, 12}) {
        const StreamView s = p.stream(n);
        QStringList writes;
        auto c1 = connect(s.fps, &QLineEdit::textChanged,
                          [&](const QString& t) { writes << s.fps->objectName() + "=" + t; });
        auto c2 = connect(s.recFps, &QLineEdit::textChanged,
                          [&](const QString& t) { writes << s.recFps->objectName() + "=" + t; });
        pick(s.input, 1);
        disconnect(c1);
        disconnect(c2);
        const QString fps = n == 11 ? "60" : "30";
        QCOMPARE(writes, (QStringList{QString("fps%1=%2").arg(n - 10).arg(fps),
                                      QString("Recfps%1=%2").arg(n - 10).arg(fps)}));
    }
}

void InputsWindowTest::pickingAResolution_data() {
    QTest::addColumn<QString>("board");
    QTest::addColumn<int>("stream");
    QTest::addColumn<QString>("input"); // selected from code; empty: nothing selected
    QTest::addColumn<QList<int>>("picked");
    QTest::addColumn<QList<int>>("expected");

    const QList<int> all{0, 1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("NTSC snaps to 720 x 500, 704 x 576 passes")
        << "full" << 11 << "Analog NTSC 480P60" << all << QList<int>{3, 3, 3, 3, 4, 5, 6, 7, 8};
    QTest::newRow("720p: 1920 x 1080 snaps to 1280 x 720")
        << "full" << 12 << "HD SDI 720P30" << QList<int>{0, 1, 4} << QList<int>{1, 1, 4};
    QTest::newRow("1080p: every resolution") << "full" << 11 << "HD SDI 1080P60" << all << all;
    QTest::newRow("no input selected") << "full" << 12 << "" << all << all;
    QTest::newRow("small HDMI 720p")
        << "small H N" << 11 << "HDMI 720P60" << QList<int>{0, 2} << QList<int>{1, 2};
    QTest::newRow("small PAL on stream 12")
        << "small N A" << 12 << "Analog PAL BAR" << QList<int>{0, 1, 8} << QList<int>{2, 2, 8};
}

void InputsWindowTest::pickingAResolution() {
    QFETCH(QString, board);
    QFETCH(int, stream);
    QFETCH(QString, input);
    QFETCH(QList<int>, picked);
    QFETCH(QList<int>, expected);

    Program p;
    TForm1& form1 = *p.w->Form1;
    setBoard(form1, board);
    const StreamView s = p.stream(stream);
    s.input->setCurrentIndex(s.input->findText(input)); // -1 for ""
    s.recRes->setCurrentIndex(0);
    s.fps->setText("12");
    const QString flags = flagsOf(form1, stream);

    QList<int> got;
    for (int r : picked) {
        s.res->setCurrentIndex(r == 0 ? 1 : 0);
        pick(s.res, r);
        got << s.res->currentIndex();
    }
    QCOMPARE(got, expected);
    // The stream list alone: the recording list, the frame rates and the flags stay.
    QCOMPARE(s.recRes->currentIndex(), 0);
    QCOMPARE(s.fps->text(), QStringLiteral("12"));
    QCOMPARE(s.recFps->text(), QString());
    QCOMPARE(flagsOf(form1, stream), flags);
}

QTEST_MAIN(InputsWindowTest)
#include "inputs_test.moc"
