// What the window shows is what holds: disabled buttons look disabled, the keep-alive runs again
// after a read that failed, and the status panels do not keep texts that are no longer true.
// Against stand-ins on a pseudo-terminal and on UDP, with time shrunk.
#include "app/widgets.h"
#include "app/windows.h"
#include "core/steps.h"
#include "dialogs/tform5.h"
#include "support/links.h"
#include "support/program.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

namespace {

const QByteArray kProbe = "A50264";
const QByteArray kKeepAlive = "A50224";
// The auto-detection reply to a keep-alive: full board, a client connected to the board.
const QByteArray kAlive = "228800$00$%1";

// A board that can fall silent and come back: it answers the probe, the keep-alive with an
// auto-detection reply and every other command with an acknowledgement.
struct Board {
    std::atomic<bool> answering{true};
    Responder responder() {
        return [this](const QByteArray& frame) -> QByteArray {
            if (!answering)
                return {};
            if (frame == kProbe)
                return "B74D";
            return frame == kKeepAlive ? kAlive : QByteArray("55");
        };
    }
};

struct Program : RunningProgram {
    Board board;
    PtyResponder pty{board.responder()};
    UdpResponder udpBoard{board.responder()};

    explicit Program(double timeScale = 0.01) : RunningProgram(timeScale) {
        serialAt(pty.slavePath());
        udpAt(udpBoard.port());
    }
    // Ticks the interface ("serial" or "udp") and connects; the keep-alive runs.
    void connect(const QString& link) {
        (link == "serial" ? rs232() : udp())->setChecked(true);
        f->Connect1Click();
        QVERIFY(f->ComPort1->isOpen() || f->udpActive());
        // The stand-in answers from a thread of its own, which a loaded machine may hold up
        // longer than the shrunk receive wait.
        f->link.udpReceiveTimeout = 1000;
    }
    QString text(const char* panel) const { return label(panel)->text(); }
    void trigger(const char* item) const { child<QAction>(f, item)->trigger(); }
};

// The darkest grey level drawn anywhere on the widget: its caption on a light button.
int darkest(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    int low = 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            low = std::min(low, qGray(image.pixel(x, y)));
    return low;
}

// Runs the event loop, idle passes included, until `done` holds or `ms` have passed.
template <typename Done> bool idleUntil(Done done, int ms = 10000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        runEventLoop(10);
    return done();
}

} // namespace

class StatusTest : public QObject {
    Q_OBJECT
private slots:
    // With VBR on a stream its four Update buttons are disabled, and drawn so: the caption is
    // painted in the disabled colour, not in the one of an enabled button.
    void disabledUpdateButtonsLookDisabled() {
        Program p;
        const char* names[] = {"URes2", "UBit2", "UGop2", "Ufps2"};
        QList<int> enabled;
        for (const char* name : names) {
            auto* button = child<QPushButton>(p.f, name);
            QVERIFY(button->isEnabled());
            enabled << darkest(button);
        }
        child<QRadioButton>(p.f, "VBR12B")->click();
        for (int i = 0; i < 4; ++i) {
            auto* button = child<QPushButton>(p.f, names[i]);
            QVERIFY(!button->isEnabled());
            const int disabled = darkest(button);
            QVERIFY2(disabled > enabled[i] + 40,
                     qPrintable(QStringLiteral("%1: enabled %2, disabled %3")
                                    .arg(names[i])
                                    .arg(enabled[i])
                                    .arg(disabled)));
            QCOMPARE(button->palette().color(QPalette::Disabled, QPalette::ButtonText),
                     QApplication::palette().color(QPalette::Disabled, QPalette::ButtonText));
        }
        // Back to CBR: drawn as before.
        child<QRadioButton>(p.f, "CBR12B")->click();
        QCOMPARE(darkest(child<QPushButton>(p.f, "URes2")), enabled[0]);
    }

    // A read that the board does not answer leaves the keep-alive running, so the board is seen
    // again once it is back; its first answer also clears the missing acknowledgement from the
    // error line.
    void keepAliveResumesAfterAFailedRead_data() {
        QTest::addColumn<QString>("link");
        QTest::newRow("RS232") << "serial";
        QTest::newRow("UDP") << "udp";
    }
    void keepAliveResumesAfterAFailedRead() {
        QFETCH(QString, link);
        Program p;
        p.connect(link);
        QTRY_COMPARE_WITH_TIMEOUT(p.text("ConNot"), QStringLiteral("Connected"), 10000);
        p.board.answering = false;
        p.f->link.udpReceiveTimeout = 20;

        child<QPushButton>(p.f, "BitBtn1")->click(); // "Read Config."

        QCOMPARE(p.text("Panel9"), QStringLiteral("Error Ack. from Board"));
        QVERIFY(p.f->Timer1->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(p.text("ConNot"), QStringLiteral("Not Connected"), 10000);
        p.board.answering = true;
        p.f->link.udpReceiveTimeout = 1000;
        QTRY_COMPARE_WITH_TIMEOUT(p.text("ConNot"), QStringLiteral("Connected"), 10000);
        QCOMPARE(p.text("Panel9"), QString());
        QVERIFY(p.prompts.messages.isEmpty());
    }

    // The error line's missing acknowledgement goes with the next acknowledged command; what the
    // board itself reported there stays.
    void ackErrorClearedByTheNextAcknowledgement_data() {
        QTest::addColumn<QString>("link");
        QTest::newRow("RS232") << "serial";
        QTest::newRow("UDP") << "udp";
    }
    void ackErrorClearedByTheNextAcknowledgement() {
        QFETCH(QString, link);
        using corvane::steps::Step;
        Program p;
        p.connect(link);
        p.f->Timer1->stop();
        const auto command = [&p] {
            p.f->runSteps({Step::send(corvane::frames::openRead()), Step::wait()});
        };
        p.board.answering = false;
        p.f->link.udpReceiveTimeout = 20;
        command();
        QCOMPARE(p.text("Panel9"), QStringLiteral("Error Ack. from Board"));
        p.board.answering = true;
        p.f->link.udpReceiveTimeout = 1000;
        command();
        QCOMPARE(p.text("Panel9"), QString());

        p.label("Panel9")->setText("Stream 11 Error"); // as the board reports it
        command();
        QCOMPARE(p.text("Panel9"), QStringLiteral("Stream 11 Error"));
    }

    // "Client Connected" is the board's news about its client, "Connected" and READY that it
    // answers; with the link gone (or the board silent) none of it is known any more, however the
    // link went: all three go out at once, not at the next keep-alive.
    void clientConnectedClearedWhenTheLinkDrops_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("how");
        for (const QString link : {"serial", "udp"})
            for (const QString how : {"Connect ", "RebootBoard1", "ExitBoard1", "interface"})
                QTest::addRow("%s, %s", qPrintable(link), qPrintable(how)) << link << how;
        QTest::newRow("serial, device lost") << "serial"
                                             << "lost";
        for (const QString link : {"serial", "udp"})
            QTest::addRow("%s, keep-alive unanswered", qPrintable(link)) << link << "silent";
    }
    void clientConnectedClearedWhenTheLinkDrops() {
        QFETCH(QString, link);
        QFETCH(QString, how);
        Program p;
        PtyPair line; // a serial line that can be pulled
        if (how == "lost")
            p.serialAt(line.slavePath());
        p.connect(link);
        if (how == "lost") {
            p.f->KeepAlivePending = true;
            line.write(kAlive);
        }
        QTRY_COMPARE_WITH_TIMEOUT(p.text("Panel8"), QStringLiteral("Client Connected"), 10000);
        QCOMPARE(p.text("ConNot"), QStringLiteral("Connected"));
        QVERIFY(!p.label("RDS")->isHidden());
        if (how == "silent") {
            // The keep-alive goes on; the first one left unanswered takes it all away.
            p.board.answering = false;
            p.f->link.udpReceiveTimeout = 20;
            QTRY_COMPARE_WITH_TIMEOUT(p.text("ConNot"), QStringLiteral("Not Connected"), 10000);
            QVERIFY(p.label("RDS")->isHidden());
            QCOMPARE(p.text("Panel8"), QString());
            return;
        }
        p.f->Timer1->stop();

        if (how == "Connect ")
            p.f->Connect1Click();
        else if (how == "interface")
            child<QPushButton>(p.f, link == "serial" ? "BitBtn7" : "BitBtn6")->click();
        else if (how == "lost") {
            line.unplug();
            p.f->GetFirmwareVersion1Click();
        } else
            p.trigger(qPrintable(how));

        QVERIFY(!p.f->ComPort1->isOpen() && !p.f->udpActive());
        QCOMPARE(p.text("Panel8"), QString());
        QCOMPARE(p.text("ConNot"), QStringLiteral("Not Connected"));
        QVERIFY(p.label("RDS")->isHidden());
    }

    // The search's "Board Found" stays in view for 2 s, then the idle display empties the
    // panel.
    void boardFoundStaysInView() {
        Program p(1.0);
        p.f->estRS2321Click();
        QElapsedTimer clock;
        p.waitForSearch();
        clock.start();
        QCOMPARE(p.panel5History.last(), QStringLiteral("Board Found"));
        QVERIFY(p.rs232()->isChecked());
        // Polled every 50 ms for well over a second, it is there each time.
        while (clock.elapsed() < 1500) {
            runEventLoop(50);
            if (clock.elapsed() < 1500)
                QCOMPARE(p.text("Panel5"), QStringLiteral("Board Found"));
        }
        QVERIFY(idleUntil([&p] { return p.text("Panel5").isEmpty(); }));
    }

    // "Streaming" stands only beside a lamp that is not grey: clearing the display paints the
    // lamp grey without touching the stream state, and the panel follows the lamp.
    void streamingNeverBesideAGreyLamp() {
        using namespace corvane::controls;
        Program p;
        auto* lamp = child<ShapeIndicator>(p.f, "Rec1");
        p.f->applyActions(
            {{Action::state(Action::Op::StreamingOn), Action::lampColour(Lamp::Green)}, {}});
        runEventLoop(20);
        QCOMPARE(p.text("Panel5"), QStringLiteral("Streaming"));

        p.trigger("ClearUIB");
        runEventLoop(20);
        QCOMPARE(lamp->fillColor(), QColor(128, 128, 128));
        QVERIFY(p.f->StreamingOn);
        QCOMPARE(p.text("Panel5"), QString());

        p.f->applyActions({{Action::lampColour(Lamp::Green)}, {}});
        runEventLoop(20);
        QCOMPARE(p.text("Panel5"), QStringLiteral("Streaming"));
    }

    // A click on the streaming panel shows at once what it did: the stream marked as running
    // shows "Streaming" and a green lamp, the next click neither; from a cleared display (grey
    // lamp, the stream state left as it was) it takes effect the same way.
    void streamingPanelClickShowsWhatItDid() {
        Program p;
        auto* lamp = child<ShapeIndicator>(p.f, "Rec1");
        auto* panel = child<ClickPanel>(p.f, "Panel5");
        const QColor grey(128, 128, 128), green(0, 255, 0);
        const auto click = [&] { QTest::mouseClick(panel, Qt::LeftButton); };
        struct Seen {
            bool streaming;
            QString panel;
            QColor lamp;
        };
        const auto seen = [&] {
            return Seen{p.f->StreamingOn, p.text("Panel5"), lamp->fillColor()};
        };
        const auto expect = [&](bool streaming) {
            const Seen now = seen(); // at once, before any idle pass
            QCOMPARE(now.streaming, streaming);
            QCOMPARE(now.panel, streaming ? QStringLiteral("Streaming") : QString());
            QCOMPARE(now.lamp, streaming ? green : grey);
            runEventLoop(20); // and the idle display keeps it
            QCOMPARE(p.text("Panel5"), now.panel);
        };
        click();
        expect(true);
        click();
        expect(false);
        click();
        expect(true);
        p.trigger("ClearUIB"); // grey lamp, the stream state untouched
        QVERIFY(p.f->StreamingOn);
        click();
        expect(false);
        click();
        expect(true);
    }

    // "Create SDP File" names the file it wrote in the status line; the whole path is its
    // tooltip, and a path too long for the line keeps the file's own name in view.
    void sdpFileNamedInTheStatusLine() {
        Program p;
        child<QLineEdit>(p.f, "ipb")->setText("10.1.2.3");
        child<QComboBox>(p.f, "Efmt1")->setCurrentIndex(0);
        child<QComboBox>(p.w->Form5, "RTP11_S")->setCurrentIndex(0);
        child<QLineEdit>(p.w->Form5, "RTP11_Port")->setText("5004");
        QTemporaryDir deep;
        const QString folder = deep.filePath("a folder with a name long enough to be cut/live");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QDir::setCurrent(folder));
        child<QPushButton>(p.w->Form5, "BitBtn3")->click();
        QVERIFY(QDir::setCurrent(p.dir.path()));
        const QString path = QDir(folder).filePath("11.sdp");
        QVERIFY(QFile::exists(path));
        runEventLoop(20);
        auto* panel = p.label("Panel4");
        QCOMPARE(panel->toolTip(), "Wrote " + path);
        QVERIFY2(panel->text().startsWith("Wrote "), qPrintable(panel->text()));
        QVERIFY2(panel->text().endsWith("/live/11.sdp"), qPrintable(panel->text()));
        QVERIFY(panel->fontMetrics().horizontalAdvance(panel->text()) <=
                panel->contentsRect().width());
        QVERIFY(p.prompts.messages.isEmpty());
        // The note gives way to the link state after a while.
        QVERIFY(idleUntil([panel] { return panel->toolTip() == "Not Connected"; }));
    }

    // The RS232 status line keeps the device's own name and the settings in view when the path
    // is too long for it: the folders give way ("…/ttyUSB0  115200,8,N,1", not "/de…B0").
    void serialStatusLineKeepsTheDeviceName() {
        Program p;
        QTemporaryDir dir;
        const QString folders = "dev/a folder with a long name/another";
        QVERIFY(QDir().mkpath(dir.filePath(folders)));
        const QString device = dir.filePath(folders + "/ttyUSB0");
        QVERIFY(QFile::link(p.pty.slavePath(), device));
        p.serialAt(device);
        p.rs232()->setChecked(true);
        p.f->Connect1Click();
        QVERIFY(p.f->ComPort1->isOpen());
        p.f->Timer1->stop();
        runEventLoop(20);
        auto* panel = p.label("Panel4");
        QCOMPARE(panel->toolTip(), "RS232 Connected to :" + device + "  115200,8,N,1");
        const QString shown = panel->text();
        QVERIFY2(shown.endsWith("/ttyUSB0  115200,8,N,1"), qPrintable(shown));
        QVERIFY2(shown.contains(QStringLiteral("\u2026/")), qPrintable(shown));
        QVERIFY(panel->fontMetrics().horizontalAdvance(shown) <= panel->contentsRect().width());
    }
};

QTEST_MAIN(StatusTest)
#include "status_test.moc"
