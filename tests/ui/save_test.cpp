// "Save Config." and the per-stream "Update" buttons of the main window, over a UDP peer on
// 127.0.0.1 and over a pseudo-terminal: every byte that goes out, and nothing at all when the
// frame-rate check or a value too long to send refuses.
#include "app/windows.h"
#include "core/controls.h"
#include "support/links.h"
#include "support/player_recorder.h"
#include "support/program.h"
#include "support/view_text.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

namespace {

// What saving kWholeConfiguration sends, frame by frame ("<CR>", "<NUL>" for the control
// characters).
const char* const kSaved =
    "A506101920<CR> A506111080<CR> A506501920<CR> A506511080<CR> A50512720<CR> A50514576<CR> "
    "A50560720<CR> A50561576<CR> "
    "A506164000<CR> A506538000<CR> A5041530<CR> A5045230<CR> A5041730<CR> A5045430<CR> "
    "A506211500<CR> A506633000<CR> A5042025<CR> A5046225<CR> A5042225<CR> A5046425<CR> "
    "A503453<CR> A503271<CR> A503284<CR> A503321<CR> A5042911<CR> A503332<CR> "
    "A50787E4L4D%%%%%%<CR> A50387D<CR> A503341<CR> A503731<CR> A50381S<CR> A50392N<CR> "
    "A5044310<CR> A53182U41234225.1.1.1$192.168.0.20<NUL> *<NUL><CR> "
    "A53183M45006239.1.1.12$10.0.0.12<NUL> *<NUL><CR> A50225<CR>";

QList<QByteArray> framesOf(const QString& text) {
    QList<QByteArray> out;
    for (const QString& token : text.split(' ', Qt::SkipEmptyParts)) {
        QByteArray frame = token == "''" ? QByteArray() : token.toLatin1();
        frame.replace("<CR>", "\r").replace("<NUL>", QByteArray(1, '\0'));
        out << frame;
    }
    // A space inside a frame (the RTP destinations) splits it in the text; join those again.
    QList<QByteArray> joined;
    for (const QByteArray& f : out) {
        if (!joined.isEmpty() && !joined.last().isEmpty() && !joined.last().endsWith('\r'))
            joined.last() += ' ' + f;
        else
            joined << f;
    }
    return joined;
}

QByteArray answer55(const QByteArray&) {
    return "55";
}

struct Program : RunningProgram {
    std::unique_ptr<PtyResponder> pty;
    std::unique_ptr<UdpResponder> udpPeer;

    Program() : RunningProgram(0.01) {
        // The keep-alive would put its frame between the saved ones over the serial link.
        f->Timer1->stop();
    }

    // Writes controls through the windows, as the decoder does.
    void show(const QString& changes) { f->applyActions(actionsOf(changes)); }

    // The whole configuration shown, the stream running in mode S, and UDP connected: a save
    // restarts the stream and then nudges the players.
    void streamingOverUdp(const Responder& board = answer55) {
        show(kWholeConfiguration);
        f->StreamModeLetter = std::string(1, 'S');
        f->StreamingOn = true;
        connect(Link::Udp, board);
    }

    // Connects the link to a stand-in that answers as `board` does (by default, acknowledges
    // every frame).
    void connect(Link link, const Responder& board = answer55) {
        if (link == Link::Serial) {
            pty = std::make_unique<PtyResponder>(board);
            serialAt(pty->slavePath());
            rs232()->setChecked(true);
        } else {
            udpPeer = std::make_unique<UdpResponder>(board);
            udpAt(udpPeer->port());
            udp()->setChecked(true);
        }
        f->Connect1Click();
        f->Timer1->stop();
        QVERIFY(f->ComPort1->isOpen() || f->udpActive());
        // The stand-in answers from a thread of its own, which a loaded machine may hold up
        // longer than the shrunk receive wait (10 ms).
        f->link.udpReceiveTimeout = 1000;
    }

    // What the stand-in received, frame by frame (serial: the byte stream cut after each CR),
    // once `expected` frames are in or ten seconds have passed; a little longer, so that nothing
    // more comes after them.
    QList<QByteArray> sent(qsizetype expected = 0) {
        QElapsedTimer clock;
        clock.start();
        while (received().size() < expected && clock.elapsed() < 10000)
            runEventLoop(5);
        runEventLoop(30);
        return received();
    }

    QList<QByteArray> received() const {
        if (udpPeer)
            return udpPeer->datagrams();
        QList<QByteArray> frames;
        QByteArray stream = pty->received();
        qsizetype cr;
        while ((cr = stream.indexOf('\r')) >= 0) {
            frames << stream.left(cr + 1);
            stream.remove(0, cr + 1);
        }
        if (!stream.isEmpty())
            frames << stream;
        return frames;
    }

    QPushButton* button(const char* name) const { return child<QPushButton>(f, name); }
};

} // namespace

class SaveTest : public QObject {
    Q_OBJECT

private slots:
    void saveSendsTheConfiguration_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<bool>("streaming");
        QTest::newRow("udp") << Link::Udp << false;
        QTest::newRow("serial") << Link::Serial << false;
        QTest::newRow("udp, streaming") << Link::Udp << true;
        QTest::newRow("serial, streaming") << Link::Serial << true;
    }

    // The whole configuration, read from the main window and both dialogs; a running stream is
    // stopped first and started last.
    void saveSendsTheConfiguration() {
        QFETCH(Link, link);
        QFETCH(bool, streaming);
        PlayerRecorder players({"Halvern Player"});
        Program p;
        p.show(kWholeConfiguration);
        p.f->StreamModeLetter = std::string(1, 'S');
        p.f->StreamingOn = streaming;
        if (streaming) // as the board's configuration or "Start Stream" leaves it
            p.f->applyActions(
                {{corvane::controls::Action::lampColour(corvane::controls::Lamp::Green)}, {}});
        p.connect(link);
        p.prompts.messages.clear();

        p.button("BitBtn2")->click();

        QList<QByteArray> expected = framesOf(kSaved);
        if (streaming)
            expected = QList<QByteArray>{"A50206\r"} + expected + QList<QByteArray>{"A50205\r"};
        QCOMPARE(p.sent(expected.size()), expected);
        QVERIFY(p.prompts.messages.isEmpty());
        QCOMPARE(p.label("Panel5")->text(), streaming ? QStringLiteral("Streaming") : QString());
        QCOMPARE(p.f->StreamingOn, streaming);
        // Only a restarted stream nudges the player.
        const QStringList nudged{"find",       "activate 1", "Control down", "S down",
                                 "Control up", "S up",       "activate 1",   "Control down",
                                 "O down",     "Control up", "O up"};
        QCOMPARE(players.texts(), streaming ? nudged : QStringList());
    }

    // The player nudge after a restart pauses as the save's waits do: the window's events run
    // during it, and a command chosen then is refused, not sent in the middle of the save.
    void nudgeKeepsTheWindowUsable() {
        PlayerRecorder players({"Halvern Player"});
        Program p;
        p.streamingOverUdp();
        int ticks = 0;
        QString busy;
        QTimer tick;
        tick.setInterval(0);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            // The nudge is the last thing the save does: once it has begun, the save is in it.
            if (players.actions.isEmpty() || ticks++ > 0)
                return;
            p.button("BitBtn1")->click(); // "Read Config."
            busy = p.f->statusBar()->currentMessage();
        });
        tick.start();
        p.button("BitBtn2")->click();
        tick.stop();

        QVERIFY(ticks > 1);
        QCOMPARE(busy, QStringLiteral("Busy: Save Config. is running"));
        const QList<QByteArray> expected =
            QList<QByteArray>{"A50206\r"} + framesOf(kSaved) + QList<QByteArray>{"A50205\r"};
        QCOMPARE(p.sent(expected.size()), expected);
        QCOMPARE(players.texts().size(), 11);
    }

    // A board that refuses to start the stream again after the save: the status bar says that
    // the configuration went out but the stream did not start, in the board's words.
    void refusedRestartIsTold() {
        PlayerRecorder players({"Halvern Player"});
        Program p;
        p.streamingOverUdp([](const QByteArray& frame) {
            return frame == "A50205" ? QByteArray("9911771") : QByteArray("55");
        });
        p.button("BitBtn2")->click();
        QCOMPARE(p.label("Panel9")->text(), QStringLiteral("Error Start Stream 11"));
        QCOMPARE(p.f->statusBar()->currentMessage(),
                 QStringLiteral("Configuration sent, but the board refused to start the stream "
                                "(Error Start Stream 11)"));
    }

    // Cancel during the nudge ends it: the keys held down are let go, nothing more is pressed.
    void cancelEndsTheNudge() {
        PlayerRecorder players({"Halvern Player"});
        Program p;
        p.streamingOverUdp();
        QTimer tick;
        tick.setInterval(0);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            // Cancel once the letter S is down, in the pause before it is let go.
            if (players.texts().contains(QStringLiteral("S down")))
                p.f->link.cancelSequence();
        });
        tick.start();
        p.button("BitBtn2")->click();
        tick.stop();

        const QStringList keys = players.texts().filter(QRegularExpression(" (down|up)$"));
        QCOMPARE(keys, (QStringList{"Control down", "S down", "Control up", "S up"}));
    }

    // The save and the frame-rate updates refuse before anything goes out: the stream is not
    // stopped, no empty datagram is sent.
    void refusalsSendNothing_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("message");
        for (Link link : {Link::Udp, Link::Serial}) {
            const char* l = link == Link::Udp ? "udp" : "serial";
            auto row = [&](const char* name, const char* button, const QString& changes,
                           const QString& message) {
                QTest::addRow("%s, %s", l, name) << link << button << changes << message;
            };
            row("save, stream 11 above HD SDI 1080P30", "BitBtn2", "fps1='31'",
                "Wrong Value in Chnl 11 FPS ");
            row("save, stream 12 above PAL", "BitBtn2", "fps2='60'", "Wrong Value in Chnl 12 FPS ");
            row("save, stream 12 not a number", "BitBtn2", "fps2='2x'",
                "'2x' is not a valid integer value");
            row("save, FEC too long", "BitBtn2", "LFEC='" + QString(90, '4') + "'",
                "'" + QString(60, '4') + "... (90 bytes)' is too long to send");
            row("Ufps1 above 1080P30", "Ufps1", "fps1='60'", "Wrong Value in Chnl 11 FPS ");
            row("Ufps2 above PAL", "Ufps2", "fps2='51'", "Wrong Value in Chnl 12 FPS ");
            row("Ufps1 not a number", "Ufps1", "fps1='x'", "'x' is not a valid integer value");
            row("UBit2 too long", "UBit2", "Bit2='" + QString(100, '8') + "'",
                "'" + QString(60, '8') + "... (100 bytes)' is too long to send");
            // Longer than its command takes: named, where it used to go out as an empty send or
            // be left out of the save without a word.
            row("save, stream 11 bit rate of six characters", "BitBtn2", "Bit1='123456'",
                "'123456' is too long for the stream 11 bit rate (1 to 5 characters)");
            row("UBit1 of six characters", "UBit1", "Bit1='123456'",
                "'123456' is too long for the stream 11 bit rate (1 to 5 characters)");
            row("Ufps2 of four characters", "Ufps2", "S2I=8 fps2='1000'",
                "'1000' is too long for the stream 12 frame rate (1 to 3 characters)");
            row("network, MTU of five characters", "BitBtn5", "MTUB='01400'",
                "'01400' is too long for the MTU (3 to 4 characters)");
        }
    }

    void refusalsSendNothing() {
        QFETCH(Link, link);
        QFETCH(QString, button);
        QFETCH(QString, changes);
        QFETCH(QString, message);
        Program p;
        p.show(QString(kWholeConfiguration) + ' ' + changes);
        p.f->StreamingOn = true;
        p.connect(link);
        p.prompts.messages.clear();

        p.button(button.toLatin1().constData())->click();

        QCOMPARE(p.prompts.texts(), QStringList{message});
        QCOMPARE(p.prompts.messages[0].title, QStringLiteral("Corvane Control"));
        QCOMPARE(p.sent(), QList<QByteArray>());
    }

    // A value in a red frame is asked about before anything goes out, in one question naming
    // each box the action sends (the static IP, which the save does not send, is not named);
    // "No" sends nothing, "Yes" sends the value as typed.
    void wrongValueIsAskedAbout_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("frame"); // the bit rate's frame when sent
        for (Link link : {Link::Udp, Link::Serial})
            for (bool yes : {false, true}) {
                const char* l = link == Link::Udp ? "udp" : "serial";
                const char* a = yes ? "yes" : "no";
                QTest::addRow("%s, save, %s", l, a) << link << "BitBtn2" << yes << "A5051612x\r";
                QTest::addRow("%s, UBit1, %s", l, a) << link << "UBit1" << yes << "A5053712x\r";
            }
    }
    void wrongValueIsAskedAbout() {
        QFETCH(Link, link);
        QFETCH(QString, button);
        QFETCH(bool, yes);
        QFETCH(QString, frame);
        Program p;
        p.show(QString(kWholeConfiguration) + " Bit1='12x' ipb='300.1.1.1'");
        p.connect(link);
        p.prompts.messages.clear();
        p.prompts.answers << yes;

        p.button(button.toLatin1().constData())->click();

        QVERIFY(!p.prompts.questions.isEmpty());
        QCOMPARE(p.prompts.questions[0].text,
                 (button == "BitBtn2" ? QStringLiteral("Save Config.") : QStringLiteral("Update")) +
                     " would send a value that cannot be right:\n\nStream 11 Bit Rate '12x': A "
                     "whole number from 1 to 99999, in digits only.\n\nSend it to the board all "
                     "the same?");
        QVERIFY(p.prompts.messages.isEmpty());
        if (!yes) {
            QCOMPARE(p.prompts.questions.size(), 1);
            QCOMPARE(p.sent(), QList<QByteArray>());
            return;
        }
        const int count = button == "BitBtn2" ? 36 : 1;
        const QList<QByteArray> sent = p.sent(count);
        QCOMPARE(sent.size(), count);
        QVERIFY(sent.contains(frame.toLatin1()));
    }

    // A value holding a control character is refused outright, naming the box: no question,
    // nothing sent. A blank frame rate that the input's limit has to be checked against is named.
    void refusedValuesNameTheBox_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString control = "' holds a control character, which would break its command. "
                                "Nothing was sent.";
        const QString blank = " is empty: it takes a whole number from 1 to 999, in digits only.";
        for (Link link : {Link::Udp, Link::Serial}) {
            const char* l = link == Link::Udp ? "udp" : "serial";
            QTest::addRow("%s, save, carriage return in a bit rate", l)
                << link << "BitBtn2"
                << "Bit2"
                << "1\r2"
                << "Stream 12 Bit Rate: '1\\r2" + control;
            QTest::addRow("%s, save, NUL in an RTP address", l)
                << link << "BitBtn2"
                << "RTP12_IP" << QString("10.0.0.1") + QChar(0) + "A50275"
                << "RTP 12 Destination IP: '10.0.0.1\\x00A50275" + control;
            QTest::addRow("%s, UGop2, tab", l) << link << "UGop2"
                                               << "Gop2"
                                               << "\t5"
                                               << "Stream 12 GOP: '\\x095" + control;
            QTest::addRow("%s, save, blank frame rate", l) << link << "BitBtn2"
                                                           << "fps1"
                                                           << ""
                                                           << "Stream 11 Frame Rate" + blank;
            QTest::addRow("%s, Ufps2, blank frame rate", l) << link << "Ufps2"
                                                            << "fps2"
                                                            << ""
                                                            << "Stream 12 Frame Rate" + blank;
        }
    }
    void refusedValuesNameTheBox() {
        QFETCH(Link, link);
        QFETCH(QString, button);
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(QString, message);
        Program p;
        p.show(kWholeConfiguration);
        QWidget* window = box.startsWith("RTP") ? static_cast<QWidget*>(p.w->Form5) : p.f;
        QLineEdit* edit = child<QLineEdit>(window, box);
        edit->setText(text);
        QCOMPARE(edit->text(), text);
        p.connect(link);
        p.prompts.messages.clear();

        p.button(button.toLatin1().constData())->click();

        QCOMPARE(p.prompts.texts(), QStringList{message});
        QCOMPARE(p.prompts.questions.size(), 0);
        QCOMPARE(p.sent(), QList<QByteArray>());
    }

    void updateButtons_data() {
        QTest::addColumn<Link>("link");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("expected");
        for (Link link : {Link::Udp, Link::Serial}) {
            const char* l = link == Link::Udp ? "udp" : "serial";
            auto row = [&](const char* name, const char* button, const char* changes,
                           const char* expected) {
                QTest::addRow("%s, %s", l, name) << link << button << changes << expected;
            };
            row("URes1 1280 x 720", "URes1", "Res1=1", "A503702<CR>");
            row("URes2 448 x 336", "URes2", "Res2=8", "A503699<CR>");
            row("URes2 nothing selected", "URes2", "Res2=-1", "A503690<CR>");
            row("UBit1 12000", "UBit1", "Bit1='12000'", "A5073712000<CR>");
            row("UBit2 800", "UBit2", "Bit2='800'", "A50540800<CR>");
            row("UGop1 30", "UGop1", "Gop1='30'", "A5043630<CR>");
            row("UGop2 1", "UGop2", "Gop2='1'", "A503391<CR>");
            row("Ufps1 30 on HD SDI 1080P30", "Ufps1", "fps1='30'", "A5043830<CR>");
            row("Ufps2 50 on PAL", "Ufps2", "fps2='50'", "A5044150<CR>");
            row("Ufps2 not a number on No Sensor", "Ufps2", "S2I=8 fps2='n'", "A50341n<CR>");
            // An empty text: an empty send, which is an empty datagram over UDP and nothing over
            // the serial line.
            row("UGop2 empty", "UGop2", "Gop2=''", link == Link::Udp ? "''" : "");
        }
    }

    void updateButtons() {
        QFETCH(Link, link);
        QFETCH(QString, button);
        QFETCH(QString, changes);
        QFETCH(QString, expected);
        Program p;
        p.show(QString(kWholeConfiguration) + ' ' + changes);
        p.connect(link);
        p.prompts.messages.clear();

        p.button(button.toLatin1().constData())->click();

        QCOMPARE(p.sent(framesOf(expected).size()), framesOf(expected));
        QVERIFY(p.prompts.messages.isEmpty());
    }

    // "VBR" disables the stream's four update buttons and changes its caption and RateMode, from
    // the operator's click and from the decoder's write alike; the other stream stays as it was.
    void rateModes() {
        Program p;
        auto updates = [&p](int stream) {
            QList<bool> enabled;
            for (const char* b : {"URes", "UBit", "UGop", "Ufps"})
                enabled
                    << p.button(qPrintable(QString("%1%2").arg(b).arg(stream - 10)))->isEnabled();
            return enabled;
        };
        const QList<bool> on{true, true, true, true}, off{false, false, false, false};
        QCOMPARE(p.label("StBR")->text(), QStringLiteral("Bit Rate (kbps)"));
        QVERIFY(child<QRadioButton>(p.f, "CBR11B")->isChecked());

        child<QRadioButton>(p.f, "VBR12B")->click();
        QCOMPARE(p.f->RateMode12, 2);
        QCOMPARE(p.label("StBR12")->text(), QStringLiteral("Max. Bitrate (kbps)"));
        QCOMPARE(updates(12), off);
        QVERIFY(!child<QRadioButton>(p.f, "CBR12B")->isChecked());
        QCOMPARE(p.f->RateMode11, 1);
        QCOMPARE(p.label("StBR")->text(), QStringLiteral("Bit Rate (kbps)"));
        QCOMPARE(updates(11), on);

        p.show("VBR11B:on");
        QCOMPARE(p.f->RateMode11, 2);
        QCOMPARE(updates(11), off);
        QVERIFY(!child<QRadioButton>(p.f, "CBR11B")->isChecked());

        p.show("CBR11B:on");
        QCOMPARE(p.f->RateMode11, 1);
        QCOMPARE(p.label("StBR")->text(), QStringLiteral("Bitrate (kbps)"));
        QCOMPARE(updates(11), on);
        QVERIFY(!child<QRadioButton>(p.f, "VBR11B")->isChecked());
        QCOMPARE(p.f->RateMode12, 2);

        // The save sends the modes the buttons set.
        p.show(kWholeConfiguration);
        p.connect(Link::Udp);
        p.button("BitBtn2")->click();
        QVERIFY(p.sent(36).contains("A5042912\r"));
    }
};

QTEST_MAIN(SaveTest)
#include "save_test.moc"
