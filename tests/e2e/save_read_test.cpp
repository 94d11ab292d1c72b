// "Save Config." against the stand-in board corvane-board, then "Read Config." in a freshly
// started program: the board keeps every setting the save sent, and the read shows them again.
// The board runs strict, so a frame that broke the length rules or carried a value it cannot
// store would go unanswered.
#include "app/windows.h"
#include "core/controls.h"
#include "support/board_process.h"
#include "support/program.h"
#include "support/view_text.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

// Every setting the save sends, each different from what the board holds at start.
const char* const kSaved =
    "S1I=2 S2I=6 Res1=1 Res2=7 Bit1='5000' Bit2='800' Gop1='50' Gop2='12' fps1='60' fps2='50' "
    "Efmt1=1 Efmt2=1 S1Aud:on S2Aud:on ERec1:off ERec2:on AutStart:on AutoDetect:off "
    "UDPRSB:on LFEC='10' DFEC='5' VBR11B:on "
    "RecRes1=4 RecBit1='6000' RecGop1='20' Recfps1='15' RecRes2=5 RecBit2='700' RecGop2='9' "
    "Recfps2='10' "
    "RTP11_S=1 RTP11_Port='6000' RTP11_M='239.2.2.2' RTP11_IP='10.1.1.1' "
    "RTP12_S=0 RTP12_Port='6002' RTP12_M='239.2.2.3' RTP12_IP='10.1.1.2'";

struct Program : RunningProgram {
    Program() : RunningProgram(0.1) {}

    void show(const QString& changes) { f->applyActions(actionsOf(changes)); }

    void connect(const BoardProcess& board, Link link) { QVERIFY(connectToBoard(board, link)); }

    // The saved controls as the windows show them, written as kSaved is.
    QString shown(const QString& controls) const { return textOf(f->readControls(), controls); }
};

} // namespace

class SaveReadTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY2(!qEnvironmentVariableIsEmpty("CORVANE_BOARD"),
                 "CORVANE_BOARD names the stand-in board program");
    }

    void savedConfigurationReadsBack_data() { linkRows(); }

    void savedConfigurationReadsBack() {
        QFETCH(Link, link);
        BoardProcess board({"--strict"});
        QVERIFY2(board.ready(), qPrintable(board.why()));
        const QByteArray used = link == Link::Udp ? "udp" : "pty";
        {
            Program p;
            p.show(kSaved);
            p.f->StreamModeLetter = std::string(1, 'B');
            p.connect(board, link);
            QCOMPARE(p.f->RateMode11, 2);
            child<QPushButton>(p.f, "BitBtn2")->click();
            QVERIFY(p.prompts.messages.isEmpty());
            QCOMPARE(p.label("Panel9")->text(), QString());
        }
        // Every frame of the save was taken as it came: answered, with nothing to remark. (The
        // last one, awaited by no wait, may still be on its way.)
        QTRY_COMPARE_WITH_TIMEOUT(board.traced(used).size(), 36, 15000);
        for (const QByteArray& line : board.traced(used))
            QVERIFY2(line.endsWith("  => 55"), line.constData());

        Program fresh;
        QVERIFY(fresh.shown(kSaved) != QString(kSaved));
        fresh.connect(board, link);
        // The read is whole when the button's handler returns. The keep-alive that the decoder
        // restarts would select the inputs the board detects, which are not the saved ones; it
        // is held off until the comparison is done.
        fresh.f->Timer1->setInterval(3600 * 1000);
        child<QPushButton>(fresh.f, "BitBtn1")->click();
        QCOMPARE(fresh.shown(kSaved), QString(kSaved));
        QCOMPARE(fresh.f->RateMode11, 2);
        QCOMPARE(fresh.f->RateMode12, 1);
        QCOMPARE(fresh.f->StreamModeLetter, std::string("B"));
        QVERIFY(fresh.prompts.messages.isEmpty());
    }
};

QTEST_MAIN(SaveReadTest)
#include "save_read_test.moc"
