// A sequence to a silent board over UDP: the window stays usable during it, "Cancel" ends it,
// three unanswered waits end it with one message; and the question before "Save Config." of
// windows that hold nothing read.
#include "app/windows.h"
#include "dialogs/aboutfrm.h"
#include "platform/pacing.h"
#include "support/links.h"
#include "support/program.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

// The board never answers.
QByteArray silent(const QByteArray&) {
    return {};
}

struct Program : RunningProgram {
    UdpResponder board{silent};
    Program() : RunningProgram(0.01) {
        udpAt(board.port());
        udp()->setChecked(true);
        f->Connect1Click();
        f->Timer1->stop();
    }
    QLabel* progress() const { return f->findChild<QLabel*>("SequenceProgress"); }
    QPushButton* cancel() const { return f->findChild<QPushButton*>("SequenceCancel"); }
    QString status() const { return f->statusBar()->currentMessage(); }
    // Presses "Save Config." from the event loop, so that the test goes on during the save.
    void saveLater() {
        QMetaObject::invokeMethod(
            f, [this] { child<QPushButton>(f, "BitBtn2")->click(); }, Qt::QueuedConnection);
    }
};

} // namespace

class SequenceTest : public QObject {
    Q_OBJECT
private slots:
    void saveAnsweredNoSendsNothing() {
        Program p;
        p.prompts.answers = {false};
        child<QPushButton>(p.f, "BitBtn2")->click();
        QCOMPARE(p.prompts.questions.size(), 1);
        QVERIFY(p.board.datagrams().isEmpty());
    }

    // The save runs inside the test's event loop, so what the operator does during it runs from
    // a timer that fires during one of its waits.
    void aboutOpensAndCancelEndsTheSave() {
        Program p;
        platform::pacing::setScale(1.0); // waits of real length: the save would run for minutes
        p.f->link.ackTimer->setInterval(6000);
        p.f->link.udpReceiveTimeout = 1000;
        QString progress, busy;
        bool aboutShown = false;
        int sentBeforeCancel = -1;
        QTimer::singleShot(1500, p.f, [&] {
            progress = p.progress()->isHidden() ? QString() : p.progress()->text();
            child<QPushButton>(p.f, "BitBtn1")->click(); // "Read Config." is refused
            busy = p.status();
            p.f->About1Click();
            aboutShown = p.f->aboutfrm()->isVisible();
            p.f->aboutfrm()->hide();
            sentBeforeCancel = int(p.board.datagrams().size());
            p.cancel()->click();
        });
        QElapsedTimer clock;
        clock.start();
        child<QPushButton>(p.f, "BitBtn2")->click();
        platform::pacing::setScale(0.01);
        QVERIFY(clock.elapsed() < 5000); // Cancel ended the wait in progress at once
        QVERIFY2(progress.startsWith("Save Config.: "), qPrintable(progress));
        QCOMPARE(busy, QStringLiteral("Busy: Save Config. is running"));
        QVERIFY(aboutShown);
        QCOMPARE(int(p.board.datagrams().size()), sentBeforeCancel);
        QVERIFY2(QRegularExpression("^Save Config\\. cancelled after \\d+ of \\d+ commands$")
                     .match(p.status())
                     .hasMatch(),
                 qPrintable(p.status()));
        QVERIFY(p.cancel()->isHidden());
    }

    void threeUnansweredWaitsEndTheSave() {
        Program p;
        p.saveLater();
        QTRY_VERIFY_WITH_TIMEOUT(!p.prompts.messages.isEmpty(), 20000);
        QTest::qWait(200);
        QCOMPARE(p.prompts.messages.size(), 1);
        const QString text = p.prompts.messages.first().text;
        QVERIFY2(QRegularExpression("^The board stopped answering during Save Config\\.: \\d+ of "
                                    "\\d+ commands were sent\\.$")
                     .match(text)
                     .hasMatch(),
                 qPrintable(text));
        // Nothing more goes out once the save has ended.
        QVERIFY(text.contains(QStringLiteral(": %1 of").arg(p.board.datagrams().size())));
    }
};

QTEST_MAIN(SequenceTest)
#include "sequence_test.moc"
