// Two configurations compared, the history's file names, and a whole configuration shown in the
// windows again.
#include "core/config_compare.h"
#include "core/config_text.h"
#include "core/history.h"
#include "core/view_apply.h"
#include "platform/history_files.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace corvane;
using controls::Ctl;
namespace hist = corvane::history;

namespace {

// A configuration with a value in every kind of control.
controls::ConfigView sample() {
    controls::ConfigView v;
    v[Ctl::PARTP].text = "RTP 11";
    v[Ctl::S1I].index = 2;
    v[Ctl::Res1].index = 3;
    v[Ctl::Bit1].text = "6000";
    v[Ctl::VBR12B].checked = true;
    v[Ctl::CBR11B].checked = true;
    v[Ctl::CEFEC].checked = true;
    v[Ctl::RTP12_IP].text = "239.1.1.1";
    v[Ctl::RTP12_S].index = 1;
    v[Ctl::UDPCheck].checked = true;
    return v;
}

} // namespace

class HistoryCompareTest : public QObject {
    Q_OBJECT
private slots:
    // Only the settings that differ are listed, in catalogue order, by their texts; the
    // interface boxes are the program's choice of link and are never a difference.
    void differences() {
        const variant::BoardFlags flags;
        controls::ConfigView board = sample();
        QVERIFY(compare::differences(sample(), board, flags).empty());

        board[Ctl::Bit1].text = "4000";
        board[Ctl::RTP12_S].index = 0;
        board[Ctl::VBR12B].checked = false;
        board[Ctl::CBR12B].checked = true;
        board[Ctl::UDPCheck].checked = false;
        board[Ctl::RS232Check].checked = true;
        const auto diff = compare::differences(sample(), board, flags);
        QCOMPARE(diff.size(), std::size_t(4));
        QCOMPARE(diff[0], (compare::Difference{Ctl::Bit1, "6000", "4000"}));
        QCOMPARE(diff[1], (compare::Difference{Ctl::CBR12B, "off", "on"}));
        QCOMPARE(diff[2], (compare::Difference{Ctl::VBR12B, "on", "off"}));
        QCOMPARE(diff[3], (compare::Difference{Ctl::RTP12_S, "Multicast", "Unicast"}));
        QCOMPARE(compare::line(diff[0], "file", "board"),
                 std::string("Bit1: file 6000, board 4000"));
        QCOMPARE(compare::line({Ctl::gwp, "", "1.2.3.4"}, "file", "board"),
                 std::string("gwp: file (empty), board 1.2.3.4"));
        // A list position beyond its items shows as no selection, as the windows show it.
        controls::ConfigView odd = sample();
        odd[Ctl::Res1].index = 99;
        controls::ConfigView none = sample();
        none[Ctl::Res1].index = -1;
        QVERIFY(compare::differences(odd, none, flags).empty());
    }

    // Names are made and read back; anything else in the folder is no entry.
    void fileNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("entry");
        QTest::newRow("read over UDP") << "2026-12-11T05-40-12_udp-192.168.1.20_read.conf" << true;
        QTest::newRow("sent, second copy")
            << "2026-12-11T05-40-12_serial-ttyUSB0_sent-2.conf" << true;
        QTest::newRow("other kind") << "2026-12-11T05-40-12_udp-1.2.3.4_saved.conf" << false;
        QTest::newRow("copy 1 written out") << "2026-12-11T05-40-12_udp-h_read-1.conf" << false;
        QTest::newRow("no link kind") << "2026-12-11T05-40-12_tcp-h_read.conf" << false;
        QTest::newRow("month 13") << "2026-13-11T05-40-12_udp-h_read.conf" << false;
        QTest::newRow("other suffix") << "2026-12-11T05-40-12_udp-h_read.txt" << false;
        QTest::newRow("short") << "2026-12-11T05-40-12.conf" << false;
        QTest::newRow("operator's file") << "studio-a.conf" << false;
    }
    void fileNames() {
        QFETCH(QString, name);
        QFETCH(bool, entry);
        const auto e = hist::parse(name.toStdString());
        QCOMPARE(e.has_value(), entry);
        if (entry)
            QCOMPARE(QString::fromStdString(hist::fileName(e->stamp, e->link, e->kind, e->copy)),
                     name);
    }

    void linkParts() {
        QCOMPARE(hist::linkPart(true, "192.168.1.20"), std::string("udp-192.168.1.20"));
        QCOMPARE(hist::linkPart(false, "/dev/ttyUSB0"), std::string("serial-ttyUSB0"));
        // Nothing of a host or device name can leave the folder or break the name.
        QCOMPARE(hist::linkPart(true, "../x y_read"), std::string("udp-.._x_y_read"));
        const auto e = hist::parse(
            hist::fileName({2026, 1, 2, 3, 4, 5}, hist::linkPart(true, "a_b"), hist::Kind::Sent));
        QVERIFY(e);
        QCOMPARE(e->link, std::string("udp-a_b"));
        QCOMPARE(e->kind, hist::Kind::Sent);
        QCOMPARE(e->timeText(), std::string("2026-01-02 03:04:05"));
    }

    // Newest first (later copies of one second first); the oldest beyond the kept number go.
    void newestKept() {
        std::vector<std::string> names{"notes.txt"};
        for (int i = 0; i < 5; ++i)
            names.push_back(hist::fileName({2026, 12, 11, 5, 40, i}, "udp-h", hist::Kind::Read));
        names.push_back(hist::fileName({2026, 12, 11, 5, 40, 4}, "udp-h", hist::Kind::Read, 2));
        const auto all = hist::entries(names);
        QCOMPARE(all.size(), std::size_t(6));
        QCOMPARE(all[0].copy, 2);
        QCOMPARE(all[1].stamp.second, 4);
        QCOMPARE(all[5].stamp.second, 0);
        const auto gone = hist::beyond(names, 4);
        QCOMPARE(gone, (std::vector<std::string>{all[4].name, all[5].name}));
        QVERIFY(hist::beyond(names, hist::kKept).empty());
    }

    // Entries of one second, link and kind never replace one another: each takes the next copy
    // number, also when the first name is taken by a file that is not an entry's.
    void entriesOfOneSecond() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QDateTime time(QDate(2026, 12, 11), QTime(5, 40, 12), Qt::UTC);
        QFile taken(dir.filePath("2026-12-11T05-40-12_udp-h_sent.conf"));
        QVERIFY(taken.open(QIODevice::WriteOnly));
        taken.write("mine");
        taken.close();
        const auto sent =
            platform::history::write(dir.path(), time, "udp-h", hist::Kind::Sent, "x=1\n");
        QCOMPARE(QFileInfo(sent.path).fileName(), QString("2026-12-11T05-40-12_udp-h_sent-2.conf"));
        QVERIFY(taken.open(QIODevice::ReadOnly));
        QCOMPARE(taken.readAll(), QByteArray("mine"));
        QStringList written;
        for (const char* text : {"a=1\n", "b=2\n", "c=3\n"}) {
            const auto w =
                platform::history::write(dir.path(), time, "udp-h", hist::Kind::Read, text);
            QVERIFY2(w.ok(), qPrintable(w.error));
            written << QFileInfo(w.path).fileName();
        }
        QCOMPARE(written, (QStringList{"2026-12-11T05-40-12_udp-h_read.conf",
                                       "2026-12-11T05-40-12_udp-h_read-2.conf",
                                       "2026-12-11T05-40-12_udp-h_read-3.conf"}));
        QFile last(dir.filePath(written.last()));
        QVERIFY(last.open(QIODevice::ReadOnly));
        QCOMPARE(last.readAll(), QByteArray("c=3\n"));
        const auto all = platform::history::list(dir.path());
        QCOMPARE(all.size(), std::size_t(5));
        QCOMPARE(QString::fromStdString(all.front().name), written.last());
    }

    // A configuration shown through its writes reads back the same, but for the interface boxes
    // (left as they were); the mode letter follows the caption.
    void wholeViewShown() {
        const variant::BoardFlags flags;
        const controls::Applied applied = configtext::toControls(sample(), flags);
        controls::ConfigView shown;
        shown[Ctl::RS232Check].checked = true;
        shown[Ctl::VBR11B].checked = true;
        controls::applyToView(shown, applied);
        controls::ConfigView expected = sample();
        expected[Ctl::UDPCheck].checked = false;
        expected[Ctl::RS232Check].checked = true;
        QCOMPARE(configtext::toLines(shown, flags), configtext::toLines(expected, flags));
        const auto letter = std::find_if(
            applied.actions.begin(), applied.actions.end(),
            [](const controls::Action& a) { return a.op == controls::Action::Op::StreamMode; });
        QVERIFY(letter != applied.actions.end());
        QCOMPARE(letter->text, std::string("A"));
    }
};

QTEST_APPLESS_MAIN(HistoryCompareTest)
#include "history_compare_test.moc"
