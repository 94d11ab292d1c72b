// The history of configurations read and sent, the history window, and the windows exported and
// imported as text: against the stand-in board corvane-board on both links, the files in the
// working folder's history/ read back as the command-line tool reads them.
#include "app/config_menus.h"
#include "app/windows.h"
#include "core/config_compare.h"
#include "core/config_decode.h"
#include "core/config_text.h"
#include "core/frames.h"
#include "core/view_apply.h"
#include "dialogs/history_window.h"
#include "platform/history_files.h"
#include "support/board_process.h"
#include "support/links.h"
#include "support/program.h"
#include "support/view_text.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QUrl>

#include <atomic>

namespace cc = corvane::controls;
namespace configtext = corvane::configtext;
namespace hist = corvane::history;
using cc::Ctl;

namespace {

struct Program : RunningProgram {
    Program() : RunningProgram(0.1) {}

    void show(const QString& changes) { f->applyActions(actionsOf(changes)); }

    void connect(const BoardProcess& board, Link link) { QVERIFY(connectToBoard(board, link)); }

    void read() { child<QPushButton>(f, "BitBtn1")->click(); }
    void save() { child<QPushButton>(f, "BitBtn2")->click(); }
    QString result() const { return f->statusBar()->currentMessage(); }

    QString historyDir() const { return dir.file("history"); }
    std::vector<hist::Entry> entries() const { return platform::history::list(historyDir()); }
    QByteArray entryText(const hist::Entry& e) const {
        return dir.read("history/" + QString::fromStdString(e.name));
    }
    QByteArray windowsText() const {
        return QByteArray::fromStdString(configtext::toLines(f->readControls(), f->Board));
    }
};

// The board's configuration as corvane-ctl keeps it: its reply decoded into a plain view, with
// the interface box of the link ticked.
QByteArray boardText(BoardProcess& board, Link link, const corvane::variant::BoardFlags& flags) {
    const QByteArray reply = board.ask(corvane::frames::configRequest());
    cc::ConfigView view;
    view[link == Link::Udp ? Ctl::UDPCheck : Ctl::RS232Check].checked = true;
    cc::applyToView(view, corvane::config::decodeConf(reply.chopped(1).toStdString(), flags));
    return QByteArray::fromStdString(configtext::toLines(view, flags));
}

QStringList differingNames(const std::vector<corvane::compare::Difference>& differences) {
    QStringList names;
    for (const auto& d : differences)
        names << QString::fromStdString(std::string(cc::name(d.ctl)));
    return names;
}

} // namespace

class HistoryTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariableIsEmpty("CORVANE_BOARD"),
                 "CORVANE_BOARD names the stand-in board program");
    }

    void readSaveAndLoadBack_data() { linkRows(); }

    // A read keeps the board's configuration, a save what it sent; the history window shows how
    // the read entry differs from the edited windows, and loading it and saving gives the board
    // its earlier configuration back.
    void readSaveAndLoadBack() {
        QFETCH(Link, link);
        BoardProcess board({"--strict"});
        QVERIFY2(board.ready(), qPrintable(board.why()));
        const QByteArray before = board.ask(corvane::frames::configRequest());
        Program p;
        p.connect(board, link);
        const std::string linkPart =
            link == Link::Udp ? "udp-127.0.0.1" : hist::linkPart(false, board.link().toStdString());

        p.read();
        auto entries = p.entries();
        QCOMPARE(entries.size(), std::size_t(1));
        QCOMPARE(entries[0].kind, hist::Kind::Read);
        QCOMPARE(entries[0].link, linkPart);
        const QByteArray readText = p.entryText(entries[0]);
        QCOMPARE(readText, boardText(board, link, p.f->Board));

        p.show("Bit1='5000' Gop2='12' RTP11_IP='10.1.1.1' ERec1:off");
        const QByteArray sentText = p.windowsText();
        p.save();
        QCOMPARE(p.result(), QStringLiteral("Configuration sent to the board"));
        QVERIFY(board.ask(corvane::frames::configRequest()) != before);
        entries = p.entries();
        QCOMPARE(entries.size(), std::size_t(2));
        QCOMPARE(entries[0].kind, hist::Kind::Sent);
        QCOMPARE(entries[0].link, linkPart);
        QCOMPARE(p.entryText(entries[0]), sentText);
        QCOMPARE(p.entryText(entries[1]), readText);

        p.f->findChild<QAction*>("History1")->trigger();
        HistoryWindow* w = p.f->configMenus->historyWindow();
        QVERIFY(w && w->isVisible());
        auto* list = child<QTableWidget>(w, "HistoryList");
        QCOMPARE(list->rowCount(), 2);
        QCOMPARE(list->item(0, 2)->text(), QStringLiteral("sent"));
        QCOMPARE(list->item(1, 2)->text(), QStringLiteral("read"));
        auto* summary = child<QLabel>(w, "HistorySummary");
        QCOMPARE(summary->text(), QStringLiteral("Identical"));
        w->select(1);
        auto* table = child<QTableWidget>(w, "HistoryDifferences");
        QStringList rows;
        for (int r = 0; r < table->rowCount(); ++r)
            rows << table->item(r, 0)->text() + " | " + table->item(r, 1)->text();
        QCOMPARE(rows, (QStringList{"Stream 11 Bit Rate | 5000", "Stream 12 GOP | 12",
                                    cc::label(Ctl::ERec1).data() + QStringLiteral(" | off"),
                                    "RTP 11 Destination IP | 10.1.1.1"}));

        child<QPushButton>(w, "HistoryOpenFolder")->click();
        QCOMPARE(p.prompts.openedUrls, QStringList{QUrl::fromLocalFile(p.historyDir()).toString()});

        child<QPushButton>(w, "HistoryLoad")->click();
        QCOMPARE(summary->text(), QStringLiteral("Identical"));
        QCOMPARE(p.windowsText(), readText);
        // Loaded from a file, the windows are saved without the question about blanks. While the
        // save runs, neither a history entry nor a file can be loaded into the windows.
        auto* load = child<QPushButton>(w, "HistoryLoad");
        auto* import = p.w->Form1->findChild<QAction*>("ImportSettings1");
        QVERIFY(import);
        bool heldDuringSave = false;
        const auto watch = QObject::connect(&p.f->link, &BoardLink::sequenceProgress, p.f, [&] {
            heldDuringSave = !load->isEnabled() && !import->isEnabled();
        });
        p.save();
        QObject::disconnect(watch);
        QVERIFY(heldDuringSave);
        QVERIFY(load->isEnabled() && import->isEnabled());
        QVERIFY(p.prompts.questions.isEmpty());
        QCOMPARE(p.result(), QStringLiteral("Configuration sent to the board"));
        QCOMPARE(board.ask(corvane::frames::configRequest()), before);
        QCOMPARE(list->rowCount(), 3); // the open window took the new entry
        QVERIFY(p.prompts.messages.isEmpty());
    }

    // A save that did not end with "Configuration sent to the board" keeps nothing: a command
    // the board left unacknowledged, a cancel, a board that stopped answering.
    void unfinishedSaveKeepsNothing_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("result");
        QTest::newRow("unacknowledged")
            << "unacknowledged"
            << "Configuration sent, but the board did not acknowledge 1 of";
        QTest::newRow("cancelled") << "cancelled"
                                   << "Save Config. cancelled after 1 of";
        QTest::newRow("silent") << "silent"
                                << "The board stopped answering during Save Config.";
    }
    void unfinishedSaveKeepsNothing() {
        QFETCH(QString, how);
        QFETCH(QString, result);
        QByteArray config;
        {
            BoardProcess board;
            QVERIFY2(board.ready(), qPrintable(board.why()));
            config = board.ask(corvane::frames::configRequest());
        }
        const QByteArray request =
            QByteArray::fromStdString(corvane::frames::configRequest()).trimmed();
        std::atomic<bool> silent{false};
        const bool skipOne = how == "unacknowledged";
        UdpResponder peer([&](const QByteArray& frame) {
            if (frame == request)
                return config;
            if (silent)
                return QByteArray();
            // The stream 11 bit rate is followed by its own acknowledgement wait.
            return skipOne && frame.startsWith("A50616") ? QByteArray() : QByteArray("55");
        });
        Program p;
        p.udpAt(peer.port());
        p.udp()->setChecked(true);
        p.f->Connect1Click();
        p.f->Timer1->stop();
        p.f->Timer1->setInterval(3600 * 1000);
        p.f->link.udpReceiveTimeout = 1000;
        p.read();
        QCOMPARE(p.entries().size(), std::size_t(1));
        silent = how == "silent";
        if (how == "cancelled")
            QObject::connect(&p.f->link, &BoardLink::sequenceProgress, p.f,
                             [&p](const QString&, int sent) {
                                 if (sent == 1)
                                     p.f->link.cancelSequence();
                             });
        p.save();
        QVERIFY2(p.result().startsWith(result), qPrintable(p.result()));
        QCOMPARE(p.entries().size(), std::size_t(1));
        QCOMPARE(p.entries()[0].kind, hist::Kind::Read);
    }

    // A history folder that cannot be written is a note; the read and the save end as they would.
    void unwritableHistoryIsANote() {
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        Program p;
        p.dir.write("history", "a file where the folder would be");
        p.connect(board, Link::Udp);
        p.read();
        QVERIFY(p.f->readControls().text(Ctl::Bit1) != "");
        QVERIFY2(p.label("Panel4")->toolTip().startsWith("History not written: "),
                 qPrintable(p.label("Panel4")->toolTip()));
        p.label("Panel4")->setToolTip({});
        p.show("Bit1='5000'");
        p.save();
        QCOMPARE(p.result(), QStringLiteral("Configuration sent to the board"));
        QVERIFY2(p.label("Panel4")->toolTip().startsWith("History not written: "),
                 qPrintable(p.label("Panel4")->toolTip()));
        QVERIFY(p.prompts.messages.isEmpty());
        QVERIFY(board.ask(corvane::frames::configRequest()).contains("$5000$"));
    }

    // The newest 200 entries are kept: a read into a full folder removes the oldest one, and
    // leaves every file that is not an entry alone.
    void twoHundredKept() {
        BoardProcess board;
        QVERIFY2(board.ready(), qPrintable(board.why()));
        Program p;
        QDir().mkpath(p.historyDir());
        for (int i = 0; i < 200; ++i)
            p.dir.write("history/" + QString::fromStdString(
                                         hist::fileName({2020, 1, 1 + i / 24, i % 24, 0, 0},
                                                        "udp-10.0.0.1", hist::Kind::Sent)),
                        "old");
        p.dir.write("history/notes.conf", "kept");
        p.connect(board, Link::Udp);
        p.read();
        const auto entries = p.entries();
        QCOMPARE(entries.size(), std::size_t(200));
        QCOMPARE(entries.front().kind, hist::Kind::Read);
        QCOMPARE(entries.back().name,
                 hist::fileName({2020, 1, 1, 1, 0, 0}, "udp-10.0.0.1", hist::Kind::Sent));
        QCOMPARE(p.dir.read("history/notes.conf"), QByteArray("kept"));

        // The window lists them all; an entry that is no configuration is said plainly and cannot
        // be loaded.
        p.f->findChild<QAction*>("History1")->trigger();
        HistoryWindow* w = p.f->configMenus->historyWindow();
        QCOMPARE(child<QTableWidget>(w, "HistoryList")->rowCount(), 200);
        QVERIFY(child<QPushButton>(w, "HistoryLoad")->isEnabled());
        w->select(199);
        QCOMPARE(child<QLabel>(w, "HistorySummary")->text(),
                 QString::fromStdString(entries.back().name) + ": line 1: 'old' is not name=value");
        QVERIFY(!child<QPushButton>(w, "HistoryLoad")->isEnabled());
    }

    // Export then import leaves every control as it was, after every one was changed in between;
    // the file is the command-line tool's text.
    void exportThenImport() {
        Program p;
        p.show(kWholeConfiguration);
        p.show("PARTP^'RTP 12' VBR11B:on FixCheck:on MovCheck:off");
        const cc::ConfigView before = p.f->readControls();
        const QString path = p.dir.file("settings.conf");
        p.prompts.fileAnswers << path;
        p.f->findChild<QAction*>("ExportSettings1")->trigger();
        QCOMPARE(p.dir.read("settings.conf"), p.windowsText());

        // Every setting changed through the widgets themselves.
        cc::Applied scramble;
        for (const auto& row : cc::kCatalogue) {
            const auto& was = before[row.id];
            switch (row.kind) {
            case cc::Kind::List:
                scramble.actions.push_back(cc::Action::select(row.id, was.index == 0 ? 1 : 0));
                break;
            case cc::Kind::Check:
                if (row.id != Ctl::UDPCheck && row.id != Ctl::RS232Check)
                    scramble.actions.push_back(cc::Action::setChecked(row.id, !was.checked));
                break;
            case cc::Kind::Radio:
                if (!was.checked)
                    scramble.actions.push_back(cc::Action::setChecked(row.id, true));
                break;
            case cc::Kind::Caption:
                scramble.actions.push_back(cc::Action::setCaption(row.id, "RTSP"));
                break;
            default:
                scramble.actions.push_back(cc::Action::setText(row.id, was.text + "7"));
            }
        }
        p.f->applyActions(scramble);
        QStringList changed =
            differingNames(corvane::compare::differences(before, p.f->readControls(), p.f->Board));
        QCOMPARE(changed.size(), qsizetype(cc::kCatalogue.size() - 2));

        // Shown with no link open, the boxes sent nothing while the import changed them.
        p.prompts.messages.clear();
        p.prompts.fileAnswers << path;
        p.f->findChild<QAction*>("ImportSettings1")->trigger();
        QCOMPARE(
            differingNames(corvane::compare::differences(before, p.f->readControls(), p.f->Board)),
            QStringList());
        QCOMPARE(p.windowsText(), p.dir.read("settings.conf"));
        QVERIFY(p.prompts.messages.isEmpty());
    }

    // A text the command-line tool refuses is refused with its line, and nothing changes.
    void refusedImportChangesNothing_data() {
        QTest::addColumn<bool>("replace"); // line 7 replaced; else `line` inserted before it
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown name")
            << false << QByteArray("Bitrate=4000") << "line 7: unknown name 'Bitrate'";
        QTest::newRow("given twice")
            << false << QByteArray("Bit2=1") << "line 7: Bit2 is given twice (first on line 6)";
        QTest::newRow("control character") << true
                                           << QByteArray("Gop1=3\x01"
                                                         "0")
                                           << "line 7: Gop1: '3\\x010' holds a control character";
        QTest::newRow("missing") << true << QByteArray() << "no value for Gop1";
    }
    void refusedImportChangesNothing() {
        QFETCH(bool, replace);
        QFETCH(QByteArray, line);
        QFETCH(QString, message);
        Program p;
        p.show(kWholeConfiguration);
        QList<QByteArray> lines = p.windowsText().split('\n');
        QVERIFY(lines[6].startsWith("Gop1="));
        if (replace && line.isEmpty())
            lines.removeAt(6);
        else if (replace)
            lines[6] = line;
        else
            lines.insert(6, line);
        p.dir.write("bad.conf", lines.join('\n'));
        p.show("Bit1='1234'");
        const QByteArray shown = p.windowsText();
        p.prompts.messages.clear();
        p.prompts.fileAnswers << p.dir.file("bad.conf");
        p.f->findChild<QAction*>("ImportSettings1")->trigger();
        QCOMPARE(p.prompts.texts(), QStringList{p.dir.file("bad.conf") + ": " + message});
        QCOMPARE(p.prompts.messages[0].kind, platform::MessageKind::Warning);
        QCOMPARE(p.windowsText(), shown);
    }
};

QTEST_MAIN(HistoryTest)
#include "history_test.moc"
