// The link monitor: what "Read Config." leaves in it over UDP and over a pseudo-terminal, the ring
// of the newest rows, saving, filtering and copying. Real transports: a UDP responder on
// 127.0.0.1 and a pseudo-terminal.
#include "app/link_menus.h"
#include "app/windows.h"
#include "core/frames.h"
#include "core/steps.h"
#include "dialogs/link_monitor.h"
#include "support/links.h"
#include "support/program.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <unistd.h>

namespace {

// The board's answers: an acknowledgement, the configuration reply (as the stand-in board gives
// it, its subnet mask holding a "55"), nothing for the keep-alive.
const QByteArray kConfigurationReply =
    "A3252081920$1080$4000$30$720$576$1500$25$IPST:192.168.0.245$30$25$1$4$1$1$1$1$1$0$0$1920$"
    "1080$8000$30$30$720$576$3000$25$25$1$1$192.168.0.254$1500$192.168.0.100$192.168.0.100$5004$"
    "5006$239.1.1.11$239.1.1.12$192.168.0.100$0$N$D$4$4$U$U$S$255.255.255.0$\r";

QByteArray answer(const QByteArray& frame) {
    if (frame == "A50208")
        return kConfigurationReply;
    if (frame == "A50224")
        return {};
    return "55";
}

struct Program : RunningProgram {
    explicit Program(double scale = 0.5) : RunningProgram(scale) {}

    LinkMonitorWindow* open() {
        if (f->linkMenus->monitorWindow())
            return f->linkMenus->monitorWindow();
        QAction* item = f->findChild<QAction*>("LinkMonitor1");
        if (!item)
            qFatal("no Link Monitor item");
        item->trigger();
        return f->linkMenus->monitorWindow();
    }
    // The cells of the table as a screen reader gets them: one line per row, cells joined by |.
    QStringList rows(int from = 0, int columns = 5) {
        LinkMonitorWindow* w = open();
        f->linkMenus->monitorModel()->sync();
        QAbstractItemModel* m = w->table()->model();
        QStringList out;
        for (int r = from; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 1; c < columns; ++c)
                cells << m->index(r, c).data().toString();
            out << cells.join('|');
        }
        return out;
    }
    void readConfig() {
        f->Timer1->stop();
        f->linkMenus->monitorModel()->clearRows();
        child<QPushButton>(f, "BitBtn1")->click();
    }
};

// The configuration reply split in pieces that reach the program one read each: the next piece
// is written only once the monitor shows that the program has read the one before.
class PiecewisePty : public QObject {
public:
    PiecewisePty(Program& p, int pieceSize) : p_(p), size_(pieceSize) {
        notifier_ = new QSocketNotifier(pty_.masterFd(), QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { readable(); });
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] { nextPiece(); });
        timer->start(5);
    }
    QString path() const { return pty_.slavePath(); }

private:
    int received() const {
        int n = 0;
        const auto& ring = p_.f->linkMenus->monitorModel()->ring();
        for (std::uint64_t s = ring.firstSeq(); s < ring.nextSeq(); ++s)
            n += ring.find(s)->direction == corvane::linklog::Direction::Received;
        return n;
    }
    void readable() {
        char buf[256];
        const ssize_t n = ::read(pty_.masterFd(), buf, sizeof buf);
        if (n <= 0)
            return;
        pending_.append(buf, n);
        for (qsizetype cr; (cr = pending_.indexOf('\r')) >= 0;) {
            const QByteArray frame = pending_.left(cr);
            pending_.remove(0, cr + 1);
            const QByteArray reply = answer(frame);
            if (frame == "A50208") {
                rest_ = reply;
                readBefore_ = -1;
            } else if (!reply.isEmpty()) {
                pty_.write(reply);
            }
        }
    }
    void nextPiece() {
        if (rest_.isEmpty() || received() == readBefore_)
            return;
        readBefore_ = received();
        pty_.write(rest_.left(size_));
        rest_.remove(0, size_);
    }

    Program& p_;
    int size_;
    PtyPair pty_;
    QSocketNotifier* notifier_;
    QByteArray pending_, rest_;
    int readBefore_ = -1;
};

const QString kReply = QString::fromLatin1(kConfigurationReply).replace("\r", "\\r");

// The top row in sight and the bottom one, by their text.
QString textAt(QTableView* table, int y) {
    const QModelIndex i = table->indexAt(QPoint(5, y));
    return table->model()->index(i.row(), LinkMonitorModel::Text).data().toString();
}
QString topText(QTableView* table) {
    return textAt(table, 1);
}
QString bottomText(QTableView* table) {
    const int last = table->model()->rowCount() - 1;
    const int y = std::min(table->viewport()->height() - 2,
                           table->rowViewportPosition(last) + table->rowHeight(last) - 2);
    return textAt(table, y);
}

} // namespace

class LinkMonitorTest : public QObject {
    Q_OBJECT
private slots:
    void menuOpensAWindowOfItsOwn() {
        Program p;
        QAction* item = p.f->findChild<QAction*>("LinkMonitor1");
        QVERIFY(item);
        QCOMPARE(item->text(), QStringLiteral("Link Monitor"));
        QCOMPARE(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
        // The last menu of the bar.
        QMenu* view = p.f->findChild<QMenu*>("View1");
        QCOMPARE(p.f->menuBar()->actions().last(), view->menuAction());
        QCOMPARE(view->title(), QStringLiteral("&View"));
        LinkMonitorWindow* w = p.open();
        QVERIFY(w->isVisible());
        QVERIFY(!w->isModal());
        QVERIFY(w->isWindow());
        QCOMPARE(w->windowTitle(), QStringLiteral("Link Monitor"));
        QStringList headers;
        for (int c = 0; c < 5; ++c)
            headers << w->table()->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(headers, (QStringList{"Time", "Link", "Direction", "Text", "Meaning"}));
    }

    void readConfigOverUdp() {
        UdpResponder board(answer);
        Program p;
        p.udpAt(board.port());
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        QVERIFY(p.f->udpActive());
        p.readConfig();
        QTRY_VERIFY_WITH_TIMEOUT(!p.rows().isEmpty() && p.rows().last().contains("keep-alive"),
                                 10000);
        // Decoding the reply ticks "Auto Detect", which shows the board's state and sends nothing:
        // the read ends with its keep-alive.
        QCOMPARE(p.rows(), (QStringList{
                               "UDP|sent|A50226\\r|start of configuration read",
                               "UDP|received|55|acknowledgement",
                               "UDP|sent|A50208\\r|configuration request",
                               "UDP|received|" + kReply + "|configuration reply",
                               "UDP|sent|A50224\\r|keep-alive",
                           }));
        const QString time = p.open()->table()->model()->index(0, 0).data().toString();
        QVERIFY2(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d$").match(time).hasMatch(),
                 qPrintable(time));
    }

    // Pieces of the reply are "not recognised yet" until the one that completes it.
    void readConfigOverSerialInPieces() {
        Program p;
        PiecewisePty board(p, 60);
        p.serialAt(board.path());
        p.rs232()->setChecked(true);
        p.f->Connect1Click();
        QVERIFY(p.f->ComPort1->isOpen());
        p.readConfig();
        QTRY_VERIFY_WITH_TIMEOUT(!p.rows().isEmpty() && p.rows().last().contains("keep-alive"),
                                 10000);
        const QStringList rows = p.rows();
        const int pieces = int((kConfigurationReply.size() + 59) / 60);
        QVERIFY2(rows.size() >= 4 + pieces, qPrintable(rows.join('\n')));
        QCOMPARE(rows.mid(0, 3), (QStringList{"RS232|sent|A50226\\r|start of configuration read",
                                              "RS232|received|55|acknowledgement",
                                              "RS232|sent|A50208\\r|configuration request"}));
        QString joined;
        for (int i = 0; i < pieces; ++i) {
            const QStringList cells = rows[3 + i].split('|');
            QCOMPARE(cells.mid(0, 2), (QStringList{"RS232", "received"}));
            joined += cells[2];
            QCOMPARE(cells[3], i + 1 < pieces ? QStringLiteral("not recognised yet")
                                              : QStringLiteral("configuration reply"));
        }
        QCOMPARE(joined, kReply);
        QStringList after = rows.mid(3 + pieces);
        after.removeAll(QStringLiteral("RS232|received|55|acknowledgement"));
        QCOMPARE(after, (QStringList{"RS232|sent|A50224\\r|keep-alive"}));
        QVERIFY(p.prompts.messages.isEmpty());
    }

    // Recorded with the window closed; the window then shows the newest 10,000 and says how many
    // went.
    void ringKeepsTheNewestRows() {
        Program p;
        QVERIFY(!p.f->linkMenus->monitorWindow());
        for (int i = 1; i <= 10050; ++i)
            p.f->link.receiveSerialPiece("piece " + std::to_string(i) + " ");
        LinkMonitorWindow* w = p.open();
        p.f->linkMenus->monitorModel()->sync();
        QAbstractItemModel* m = w->table()->model();
        QCOMPARE(m->rowCount(), 10000);
        QCOMPARE(m->index(0, 3).data().toString(), QStringLiteral("piece 51 "));
        QCOMPARE(m->index(9999, 3).data().toString(), QStringLiteral("piece 10050 "));
        QVERIFY(child<QLabel>(w, "MonitorDropped")->text().startsWith("50 older rows dropped"));
        // Rows keep coming with the window open.
        p.f->link.receiveSerialPiece("one more");
        QTRY_COMPARE(m->index(9999, 3).data().toString(), QStringLiteral("one more"));
        QCOMPARE(m->index(0, 3).data().toString(), QStringLiteral("piece 52 "));
        QTest::mouseClick(child<QPushButton>(w, "MonitorClear"), Qt::LeftButton);
        QCOMPARE(m->rowCount(), 0);
        QVERIFY(child<QLabel>(w, "MonitorDropped")->text().isEmpty());
    }

    // Save As writes the rows shown, tab-separated under a header; the filter keeps the rows
    // whose text or meaning holds what was typed; Ctrl+C copies the selected rows alike.
    void saveFilterAndCopy() {
        UdpResponder board(answer);
        Program p;
        p.udpAt(board.port());
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        p.readConfig();
        QTRY_VERIFY_WITH_TIMEOUT(!p.rows().isEmpty() && p.rows().last().contains("keep-alive"),
                                 10000);
        LinkMonitorWindow* w = p.open();
        QAbstractItemModel* m = w->table()->model();
        auto line = [&](int r) {
            QStringList cells;
            for (int c = 0; c < 5; ++c)
                cells << m->index(r, c).data().toString();
            return cells.join('\t');
        };

        const QString path = p.dir.file("monitor.txt");
        p.prompts.fileAnswers << path;
        QTest::mouseClick(child<QPushButton>(w, "MonitorSaveAs"), Qt::LeftButton);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QStringList expected{"Time\tLink\tDirection\tText\tMeaning"};
        for (int r = 0; r < m->rowCount(); ++r)
            expected << line(r);
        QCOMPARE(QString::fromUtf8(file.readAll()), expected.join('\n') + '\n');

        QLineEdit* filter = child<QLineEdit>(w, "MonitorFilter");
        QTest::keyClicks(filter, "CONFIGURATION");
        QCOMPARE(p.rows(), (QStringList{"UDP|sent|A50226\\r|start of configuration read",
                                        "UDP|sent|A50208\\r|configuration request",
                                        "UDP|received|" + kReply + "|configuration reply"}));
        filter->setText("255.255.255.0"); // in the text only
        QCOMPARE(p.rows().size(), 1);
        filter->setText("Received"); // the direction
        QCOMPARE(p.rows(), (QStringList{"UDP|received|55|acknowledgement",
                                        "UDP|received|" + kReply + "|configuration reply"}));
        filter->setText("udp"); // the link
        QCOMPARE(p.rows().size(), 5);
        filter->setText("rs232");
        QCOMPARE(p.rows().size(), 0);
        filter->clear();
        QCOMPARE(p.rows().size(), 5);

        w->table()->selectRow(1);
        w->table()->selectionModel()->select(m->index(3, 0), QItemSelectionModel::Select |
                                                                 QItemSelectionModel::Rows);
        w->table()->setFocus();
        w->copySelection();
        QCOMPARE(QApplication::clipboard()->text(), line(1) + '\n' + line(3) + '\n');
    }

    // The keep-alive that ends "Read Config." is answered with an auto-detection reply, which no
    // keep-alive tick awaited: it is named, and said to be left alone; the next tick's reply is
    // the auto-detection reply the window reads.
    void autoDetectionReplyIsNamed() {
        UdpResponder board([](const QByteArray& frame) {
            return frame == "A50224" ? QByteArray("228800$00$%1") : answer(frame);
        });
        Program p;
        p.udpAt(board.port());
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        p.readConfig();
        QTRY_VERIFY_WITH_TIMEOUT(!p.rows().isEmpty() && p.rows().last().contains("228800"), 10000);
        p.f->Timer1->stop();
        QCOMPARE(p.rows().mid(p.rows().size() - 2),
                 (QStringList{"UDP|sent|A50224\\r|keep-alive",
                              "UDP|received|228800$00$%1|auto-detection reply, not "
                              "awaited"}));
        p.f->linkMenus->monitorModel()->clearRows();
        p.f->keeper.keepAliveTick();
        QCOMPARE(p.rows(), (QStringList{"UDP|sent|A50224\\r|keep-alive",
                                        "UDP|received|228800$00$%1|auto-detection reply"}));
        QCOMPARE(child<QLabel>(p.f, "ConNot")->text(), QStringLiteral("Connected"));
    }

    // At the bottom the list follows new rows; scrolled up, the rows read stay in sight, also
    // while the oldest rows go for room; back at the bottom it follows again. Paused, it stays;
    // resumed, it shows the newest.
    void followsOnlyAtTheBottom() {
        BoardLink link;
        LinkMonitorModel model(nullptr, 60);
        link.setRecorder(&model);
        const auto receive = [&](int from, int to) {
            for (int i = from; i <= to; ++i)
                link.receiveSerialPiece("piece " + std::to_string(i));
            model.sync();
            QCoreApplication::processEvents();
        };
        receive(1, 40);
        LinkMonitorWindow w(&model);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QTableView* table = w.table();
        QScrollBar* bar = table->verticalScrollBar();
        QVERIFY2(bar->maximum() > 5 * table->rowHeight(0),
                 "the test needs more rows than the window shows");
        QCOMPARE(bottomText(table), QStringLiteral("piece 40"));
        QVERIFY(w.following());

        receive(41, 45);
        QCOMPARE(bottomText(table), QStringLiteral("piece 45"));
        QCOMPARE(bar->value(), bar->maximum());

        // The operator scrolls up to read.
        bar->setValue(15 * table->rowHeight(0));
        QVERIFY(!w.following());
        const QString read = topText(table);
        QCOMPARE(read, QStringLiteral("piece 16"));
        receive(46, 50); // the ring still has room
        QCOMPARE(topText(table), read);
        receive(51, 70); // 10 of the oldest go
        QCOMPARE(model.ring().firstSeq(), std::uint64_t(10));
        QCOMPARE(topText(table), read);
        QVERIFY(!w.following());

        bar->setValue(bar->maximum());
        QVERIFY(w.following());
        receive(71, 75);
        QCOMPARE(bottomText(table), QStringLiteral("piece 75"));

        QPushButton* pause = child<QPushButton>(&w, "MonitorPause");
        QTest::mouseClick(pause, Qt::LeftButton);
        const QString top = topText(table);
        receive(76, 80);
        QCOMPARE(topText(table), top);
        QVERIFY(!w.following());
        QTest::mouseClick(pause, Qt::LeftButton);
        QCoreApplication::processEvents();
        QCOMPARE(bottomText(table), QStringLiteral("piece 80"));
        QVERIFY(w.following());
        link.setRecorder(nullptr);
    }

    // A timed-out acknowledgement wait is a row of its own; Pause stops the list from following
    // new rows, recording goes on.
    void timeoutRowAndPause() {
        PtyPair silent; // never answers
        Program p(0.05);
        p.serialAt(silent.slavePath());
        p.rs232()->setChecked(true);
        p.f->Connect1Click();
        p.f->Timer1->stop();
        LinkMonitorWindow* w = p.open();
        QPushButton* pause = child<QPushButton>(w, "MonitorPause");
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), QStringLiteral("Resume"));
        QVERIFY(w->paused());
        p.f->linkMenus->monitorModel()->clearRows();
        p.f->runSteps({corvane::steps::Step::send(corvane::frames::openRead()),
                       corvane::steps::Step::wait()});
        QCOMPARE(p.rows(), (QStringList{"RS232|sent|A50226\\r|start of configuration read",
                                        "RS232|timeout||no acknowledgement"}));
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), QStringLiteral("Pause"));
    }
};

QTEST_MAIN(LinkMonitorTest)
#include "link_monitor_test.moc"
