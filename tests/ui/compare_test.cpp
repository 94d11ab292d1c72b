// "Compare with Board" against the stand-in board corvane-board over UDP and over its
// pseudo-terminal: the board's configuration is read into a plain view, the windows stay as they
// are, and the window lists exactly the settings in which they differ; "Load Board Values" and
// "Save Config." from that window; the busy rule; no comparison claimed when no reply came.
#include "app/config_menus.h"
#include "app/windows.h"
#include "core/config_text.h"
#include "core/controls.h"
#include "core/frames.h"
#include "dialogs/compare_window.h"
#include "dialogs/differences_table.h"
#include "support/board_process.h"
#include "support/links.h"
#include "support/program.h"
#include "support/view_text.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

using corvane::controls::Ctl;
// What "Save Config." sends when no stream runs.
constexpr qsizetype kSaveCommands = 36;

struct Program : RunningProgram {
    Program() : RunningProgram(0.1) {}

    void connect(const BoardProcess& board, Link link) {
        QVERIFY(connectToBoard(board, link));
        f->link.udpReceiveTimeout = 1000;
    }

    void show(const QString& changes) { f->applyActions(actionsOf(changes)); }
    void read() { child<QPushButton>(f, "BitBtn1")->click(); }
    void compare() { f->findChild<QAction*>("CompareWithBoard1")->trigger(); }
    QString status() const { return f->statusBar()->currentMessage(); }
    corvane::controls::ConfigView view() const { return f->readControls(); }

    CompareWindow* window() const { return f->configMenus->compareWindow(); }
    // The rows of the comparison as "Setting | windows | board".
    QStringList rows() const {
        QStringList out;
        const DifferencesTable* t = window()->table();
        for (int r = 0; r < t->rowCount(); ++r)
            out << QStringLiteral("%1 | %2 | %3")
                       .arg(t->item(r, 0)->text(), t->item(r, 1)->text(), t->item(r, 2)->text());
        return out;
    }
    QPushButton* button(const char* name) const { return child<QPushButton>(window(), name); }
};

// The frames the board received on the link (each with the board's reply), once `atLeast` are
// in and nothing more came for a moment.
QList<QByteArray> settled(const BoardProcess& board, const QByteArray& link, qsizetype atLeast) {
    for (int i = 0; i < 200 && board.traced(link).size() < atLeast; ++i)
        runEventLoop(50);
    qsizetype seen = -1;
    while (seen != board.traced(link).size()) {
        seen = board.traced(link).size();
        runEventLoop(200);
    }
    return board.traced(link);
}

QString text(const corvane::controls::ConfigView& view, Ctl c) {
    return QString::fromStdString(corvane::configtext::valueText(view, c, {}));
}

} // namespace

class CompareTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariableIsEmpty("CORVANE_BOARD"),
                 "CORVANE_BOARD names the stand-in board program");
    }

    void listsExactlyTheEditedSettings_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<QString>("edits");
        // The edited settings as the window labels them, with the windows' new value.
        QTest::addColumn<QStringList>("expected");
        for (Link link : {Link::Udp, Link::Serial}) {
            const char* l = link == Link::Udp ? "udp" : "serial";
            QTest::addRow("%s, nothing edited", l) << link << QString() << QStringList();
            QTest::addRow("%s, one edit", l)
                << link << QStringLiteral("Bit1='6543'")
                << QStringList{QStringLiteral("Stream 11 Bit Rate|Bit1|6543")};
            // In the main window and in the RTP and recording dialogs; a list by its item text,
            // a radio button pair as both of its buttons.
            QTest::addRow("%s, across the windows", l)
                << link << QStringLiteral("Efmt1=1 RTP12_IP='10.9.8.7' RecBit2='777' VBR12B:on")
                << QStringList{QStringLiteral("Stream 11 Encoder Format|Efmt1|H.265"),
                               QStringLiteral("Stream 12 CBR|CBR12B|off"),
                               QStringLiteral("Stream 12 VBR|VBR12B|on"),
                               QStringLiteral("Recording 12 Bit Rate|RecBit2|777"),
                               QStringLiteral("RTP 12 Destination IP|RTP12_IP|10.9.8.7")};
        }
    }

    // After a read and an edit, the comparison lists exactly the edited settings with the
    // windows' and the board's value; comparing changes nothing in the windows and sends the
    // board exactly what a read sends.
    void listsExactlyTheEditedSettings() {
        QFETCH(Link, link);
        QFETCH(QString, edits);
        QFETCH(QStringList, expected);
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        const QByteArray used = link == Link::Udp ? "udp" : "pty";
        Program p;
        p.connect(board, link);
        const qsizetype beforeRead = settled(board, used, 0).size();
        p.read();
        const QList<QByteArray> readFrames = settled(board, used, beforeRead + 1).mid(beforeRead);
        const corvane::controls::ConfigView read = p.view();
        if (!edits.isEmpty())
            p.show(edits);
        const corvane::controls::ConfigView edited = p.view();
        const QList<QByteArray> beforeCompare =
            settled(board, used, beforeRead + readFrames.size());
        const std::string mode = p.f->StreamModeLetter;
        const corvane::variant::BoardFlags flags = p.f->Board;
        QVERIFY(p.window() == nullptr);

        p.compare();

        QVERIFY(p.window() && p.window()->isVisible());
        QStringList rows;
        for (const QString& e : expected) {
            const QStringList parts = e.split('|');
            const Ctl ctl = *corvane::controls::byName(parts[1].toStdString());
            QVERIFY(text(read, ctl) != parts[2]); // the board holds another value
            rows << QStringLiteral("%1 | %2 | %3").arg(parts[0], parts[2], text(read, ctl));
        }
        QCOMPARE(p.rows(), rows);
        if (expected.isEmpty()) {
            QCOMPARE(p.window()->summary()->text(), QStringLiteral("Identical"));
            QVERIFY(p.window()->table()->isHidden());
            QCOMPARE(p.status(), QStringLiteral("Compare with Board: identical"));
        } else {
            QVERIFY(p.window()->table()->isVisible());
            QCOMPARE(p.status(), expected.size() == 1
                                     ? QStringLiteral("Compare with Board: 1 setting differs")
                                     : QStringLiteral("Compare with Board: %1 settings differ")
                                           .arg(expected.size()));
        }
        QCOMPARE(p.view().values, edited.values);
        QCOMPARE(p.f->StreamModeLetter, mode);
        QCOMPARE(p.f->Board, flags);
        QVERIFY(p.prompts.messages.isEmpty());
        // The board heard the read's frames once more, and nothing else.
        const QList<QByteArray> all =
            settled(board, used, beforeCompare.size() + readFrames.size());
        QVERIFY(readFrames.size() >= 3);
        QCOMPARE(all.mid(beforeCompare.size()), readFrames);
    }

    void buttonsOfTheWindow_data() { linkRows(); }

    // Windows never read: "Save Config." from the comparison asks as the save always asks then
    // ("No" sends nothing); "Load Board Values" puts the board's values into the windows as a
    // read does and sends nothing, after which the save asks nothing and sends them.
    void buttonsOfTheWindow() {
        QFETCH(Link, link);
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        const QByteArray used = link == Link::Udp ? "udp" : "pty";
        Program p;
        p.connect(board, link);
        const corvane::controls::ConfigView blank = p.view();
        qsizetype heard = settled(board, used, 0).size();

        p.compare();
        QVERIFY(p.window()->isVisible());
        QVERIFY2(p.rows().size() > 5, qPrintable(p.rows().join('\n')));
        QCOMPARE(p.view().values, blank.values);
        heard = settled(board, used, heard + 1).size();

        p.prompts.answers = {false};
        p.button("CompareSave")->click();
        QVERIFY(!p.window()->isVisible());
        QCOMPARE(p.prompts.questions.size(), 1);
        QCOMPARE(settled(board, used, heard).size(), heard);
        QCOMPARE(p.view().values, blank.values);

        p.compare();
        heard = settled(board, used, heard + 1).size();
        p.button("CompareLoad")->click();
        QVERIFY(!p.window()->isVisible());
        const corvane::controls::ConfigView loaded = p.view();
        QVERIFY(loaded.values != blank.values);
        QCOMPARE(settled(board, used, heard).size(), heard); // the boxes it ticked sent nothing
        QVERIFY(p.prompts.messages.isEmpty());
        // What Read Config. shows now is what the load showed.
        p.read();
        QCOMPARE(p.view().values, loaded.values);
        p.compare();
        QCOMPARE(p.window()->summary()->text(), QStringLiteral("Identical"));
        heard = settled(board, used, heard + 1).size();

        p.button("CompareSave")->click();
        QCOMPARE(p.prompts.questions.size(), 1);
        QCOMPARE(p.status(), QStringLiteral("Configuration sent to the board"));
        QCOMPARE(settled(board, used, heard + kSaveCommands).size(), heard + kSaveCommands);
    }

    // One sequence at a time: a comparison chosen while a save runs is refused and sends nothing,
    // and a read chosen while a comparison runs is refused and touches nothing.
    void refusedAsBusy() {
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        Program p;
        p.connect(board, Link::Udp);
        p.read();
        const qsizetype heard = settled(board, "udp", 1).size();

        // "Compare with Board" chosen once the save's first command has left.
        QString busy;
        const auto pressCompare =
            QObject::connect(&p.f->link, &BoardLink::sequenceProgress, p.f, [&] {
                if (!busy.isEmpty())
                    return;
                p.compare();
                busy = p.status();
            });
        child<QPushButton>(p.f, "BitBtn2")->click();
        QObject::disconnect(pressCompare);
        QCOMPARE(busy, QStringLiteral("Busy: Save Config. is running"));
        QCOMPARE(p.status(), QStringLiteral("Configuration sent to the board"));
        QVERIFY(p.window() == nullptr);
        QCOMPARE(settled(board, "udp", heard + kSaveCommands).size(), heard + kSaveCommands);

        p.show(QStringLiteral("Bit2='1234'"));
        const corvane::controls::ConfigView edited = p.view();
        // "Read Config." pressed once the comparison's first command has left.
        busy.clear();
        const auto pressRead = QObject::connect(&p.f->link, &BoardLink::sequenceProgress, p.f, [&] {
            if (!busy.isEmpty())
                return;
            p.read();
            busy = p.status();
        });
        p.compare();
        QObject::disconnect(pressRead);
        QCOMPARE(busy, QStringLiteral("Busy: Compare with Board is running"));
        QCOMPARE(p.view().values, edited.values);
        QCOMPARE(p.rows().size(), 1);
        QVERIFY(p.rows().at(0).startsWith("Stream 12 Bit Rate | 1234 | "));
    }

    // No comparison is claimed when no configuration reply came, when it could not be read or
    // when the comparison was cancelled; the status bar says what happened, and the windows stay
    // as they are.
    void noComparisonWithoutAReadableReply_data() {
        QTest::addColumn<bool>("unreadable");
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("status");
        QTest::newRow("no reply") << false << false
                                  << QStringLiteral("Compare with Board: no configuration reply");
        QTest::newRow("unreadable reply")
            << true << false
            << QStringLiteral("Compare with Board: the configuration reply could not be read: ");
        QTest::newRow("cancelled")
            << false << true << QStringLiteral("Compare with Board cancelled after ");
    }

    void noComparisonWithoutAReadableReply() {
        QFETCH(bool, unreadable);
        QFETCH(bool, cancel);
        QFETCH(QString, status);
        QByteArray reply;
        if (unreadable) {
            BoardProcess board;
            QVERIFY2(board.ready(), qPrintable(board.why()));
            reply = board.ask(corvane::frames::configRequest());
            // The stream 11 bit rate (the third field) as letters of the same length.
            const qsizetype from = reply.indexOf('$', reply.indexOf('$') + 1) + 1;
            const qsizetype to = reply.indexOf('$', from);
            QVERIFY2(reply.startsWith("A3") && to > from, reply.constData());
            reply.replace(from, to - from, QByteArray(to - from, 'x'));
        }
        const QByteArray request =
            QByteArray::fromStdString(corvane::frames::configRequest()).trimmed();
        UdpResponder peer([&](const QByteArray& frame) {
            return frame.trimmed() == request && !reply.isEmpty() ? reply : QByteArray("55");
        });
        Program p;
        p.show(QStringLiteral("Bit1='4000'"));
        p.udpAt(peer.port());
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        const corvane::controls::ConfigView before = p.view();
        p.f->Timer1->setInterval(3600 * 1000);
        p.f->link.udpReceiveTimeout = 1000;

        // Cancelled as soon as the first command has left, whatever the peer answers meanwhile.
        if (cancel)
            QObject::connect(&p.f->link, &BoardLink::sequenceProgress, p.f,
                             [&] { p.f->link.cancelSequence(); });
        p.compare();
        QVERIFY2(p.status().startsWith(status), qPrintable(p.status()));
        QVERIFY(p.window() == nullptr);
        QCOMPARE(p.view().values, before.values);
        QVERIFY(p.prompts.messages.isEmpty());
    }

    // A configuration reply that comes only after the comparison gave up on it (here: after the
    // keep-alive that closes the read) is dropped: the windows keep what the operator edited.
    // A read afterwards shows the board's configuration as usual.
    void lateReplyLeavesTheWindowsAlone() {
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        const QByteArray reply = board.ask(corvane::frames::configRequest());
        QVERIFY2(reply.startsWith("A3"), reply.constData());
        const auto bare = [](const std::string& f) {
            return QByteArray::fromStdString(f).trimmed();
        };
        bool late = true;
        PtyResponder pty([&](const QByteArray& frame) {
            if (frame == bare(corvane::frames::configRequest()))
                return late ? QByteArray() : reply;
            if (frame == bare(corvane::frames::keepAlive()))
                return late ? reply : QByteArray();
            return QByteArray("55");
        });
        Program p;
        p.serialAt(pty.slavePath());
        p.rs232()->setChecked(true);
        p.f->Connect1Click();
        p.f->Timer1->setInterval(3600 * 1000);
        p.show(QStringLiteral("Bit1='6543'"));
        const corvane::controls::ConfigView edited = p.view();

        p.compare();
        runEventLoop(500);
        QCOMPARE(p.status(), QStringLiteral("Compare with Board: no configuration reply"));
        QVERIFY(p.window() == nullptr);
        QCOMPARE(p.view().values, edited.values);

        late = false;
        p.read();
        runEventLoop(200);
        QVERIFY(p.view().values != edited.values);
        QVERIFY(p.view().text(Ctl::Bit1) != "6543");
    }

    // A screen reader hears every control of the window by name and purpose; Tab goes from the
    // list through the buttons in their order.
    void accessibleAndInTabOrder() {
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        Program p;
        p.connect(board, Link::Udp);
        p.compare();
        CompareWindow* w = p.window();
        QVERIFY(w->isVisible());
        QWidget* table = w->table();
        const QList<QWidget*> order{table, p.button("CompareSave"), p.button("CompareLoad"),
                                    p.button("CompareClose")};
        QList<QWidget*> named = order;
        named << w->summary();
        for (QWidget* c : named) {
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(c);
            QVERIFY(face);
            QVERIFY2(!face->text(QAccessible::Name).isEmpty(), qPrintable(c->objectName()));
            QVERIFY2(!face->text(QAccessible::Description).isEmpty(), qPrintable(c->objectName()));
        }
        QWidget* at = table;
        for (int i = 1; i < order.size(); ++i) {
            do
                at = at->nextInFocusChain();
            while (!(at->focusPolicy() & Qt::TabFocus) || !at->isVisibleTo(w));
            QCOMPARE(at->objectName(), order[i]->objectName());
        }
        QVERIFY(p.button("CompareClose")->isDefault());
        p.button("CompareClose")->click();
        QVERIFY(!w->isVisible());
    }
};

QTEST_MAIN(CompareTest)
#include "compare_test.moc"
