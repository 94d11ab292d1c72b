// The reply dispatch as the window applies it, over a real pseudo-terminal.
#include "app/windows.h"
#include "core/frames.h"
#include "dialogs/serial_setup.h"
#include "support/links.h"
#include "support/program.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

namespace {

// The program connected over a pseudo-terminal, keep-alive off.
struct SerialProgram : RunningProgram {
    PtyPair pty;

    SerialProgram() {
        serialAt(pty.slavePath());
        rs232()->setChecked(true);
        f->Connect1Click();
        f->Timer1->stop();
    }
    bool ready() const { return child<QLabel>(f, "RDS")->isVisible(); }
    // Returns once the program has read the piece and dispatched it.
    void receive(const QByteArray& piece) {
        pty.write(piece);
        QTRY_VERIFY(pty.delivered() && f->ComPort1->bytesAvailable() == 0);
    }
};

} // namespace

class DispatchTest : public QObject {
    Q_OBJECT
private slots:
    // A reply frame in pieces is recognised once it is complete; it re-enables the keep-alive.
    void replyFrameInPieces() {
        SerialProgram p;
        p.f->CWriteStr(corvane::frames::configRequest());
        p.receive("A30");
        p.receive("12");
        QVERIFY(!p.ready());
        QCOMPARE(p.f->RxBuffer.str(), std::string("A3012"));
        p.receive("09abcd"); // 11 of the 12 characters
        QVERIFY(!p.ready());
        p.receive("\r");
        QVERIFY(p.ready());
        QVERIFY(p.f->AckReceived);
        QCOMPARE(p.f->RxFrame, std::string("A30120"
                                           "9abcd"));
        QVERIFY(p.f->RxBuffer.empty());
        QVERIFY(p.f->Timer1->isActive());
    }

    // What the board sends, piece by piece, with a keep-alive pending or not; READY shows as soon
    // as the piece that completes an answer has been dispatched.
    void serialPiecesAsTheBoardSendsThem_data() {
        QTest::addColumn<QByteArrayList>("pieces");
        QTest::addColumn<bool>("keepAlive");
        QTest::addColumn<bool>("ready");
        QTest::addColumn<QString>("panel9");
        QTest::addColumn<QString>("conNot");

        QTest::newRow("stream start error")
            << QByteArrayList{"9911772"} << false << false << "Error Start Stream 12"
            << "Not Connected";
        QTest::newRow("stream status character in a later piece")
            << QByteArrayList{"991177", "1"} << false << false << "Error Start Stream 11"
            << "Not Connected";
        QTest::newRow("stray A3 with three digits, then an acknowledgement")
            << QByteArrayList{"A3999", "55"} << false << true << ""
            << "Not Connected";
        QTest::newRow("cut stream status, then the keep-alive answer")
            << QByteArrayList{"991177", "22882B$01$%1"} << true << true << ""
            << "Connected";
        QTest::newRow("cut stream status, then an acknowledgement")
            << QByteArrayList{"991177", "55"} << false << true << ""
            << "Not Connected";
        QTest::newRow("55 inside a configuration reply still arriving")
            << QByteArrayList{"A3312081920$1080$", "55"} << false << false << ""
            << "Not Connected";
    }
    void serialPiecesAsTheBoardSendsThem() {
        QFETCH(QByteArrayList, pieces);
        QFETCH(bool, keepAlive);
        QFETCH(bool, ready);
        QFETCH(QString, panel9);
        QFETCH(QString, conNot);
        SerialProgram p;
        if (keepAlive)
            p.f->Timer1Timer(); // sends the keep-alive; its answer is now pending
        else
            p.f->CWriteStr(corvane::frames::configRequest());
        QCOMPARE(p.pty.read(1000, 7).size(), 7);
        for (const QByteArray& piece : pieces)
            p.receive(piece);
        QCOMPARE(p.ready(), ready);
        QCOMPARE(child<QLabel>(p.f, "Panel9")->text(), panel9);
        QCOMPARE(child<QLabel>(p.f, "ConNot")->text(), conNot);
        QCOMPARE(p.f->KeepAlivePending, keepAlive && conNot != "Connected");
    }

    // While the operator's message box is open the event loop runs on: a reply that arrives then
    // is dispatched by itself, and the interrupted dispatch continues afterwards.
    void operatorTextKeepsTheLoopRunning() {
        SerialProgram p;
        bool nestedReady = false;
        p.prompts.whileOpen = [&](const ShownMessage&) {
            p.receive("55");
            nestedReady = p.f->AckReceived;
            p.f->AckReceived = false;
        };
        p.f->CWriteStr(corvane::frames::firmwareVersion());
        p.receive("A7<b>firmware</b> 2.3.1 AA");
        QCOMPARE(p.prompts.texts(), QStringList{"A7<b>firmware</b> 2.3.1 "});
        QVERIFY(nestedReady);
        QVERIFY(p.ready());
        QVERIFY(p.f->AckReceived);
        QVERIFY(p.f->RxBuffer.empty());
    }

    void noiseStaysBoundedAndHarmless() {
        SerialProgram p;
        QByteArray noise;
        for (int i = 0; i < 100 * 1024; ++i)
            noise.append(char('a' + i % 23));
        p.receive(noise);
        QVERIFY(p.f->RxBuffer.size() <= corvane::replies::kMaxReceiveBuffer);
        QVERIFY(p.prompts.messages.isEmpty());
        p.receive("55");
        QVERIFY(p.ready());
    }

    // The port box shows the usual device paths whole.
    void setupDialogShowsUsualDevicePaths_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("USB adapter") << "/dev/ttyUSB0";
        QTest::newRow("pseudo-terminal") << "/dev/pts/12";
        QTest::newRow("FTDI link")
            << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
        QTest::newRow("Prolific link")
            << "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";
    }
    void setupDialogShowsUsualDevicePaths() {
        QFETCH(QString, path);
        corvane::settings::SerialSettings current;
        current.portName = path.toStdString();
        SerialSetupDialog dialog(current);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QLineEdit* edit = child<QComboBox>(&dialog, "Port")->lineEdit();
        QCOMPARE(edit->text(), path);
        // A line edit keeps a margin of two pixels on each side of its text.
        QVERIFY2(edit->fontMetrics().horizontalAdvance(path) <= edit->width() - 4,
                 qPrintable(QString::number(edit->width())));
    }

    void setupDialogOffersTheSettingsTexts() {
        corvane::settings::SerialSettings current;
        current.portName = "/dev/serial/by-id/usb-board";
        current.baudRate = corvane::settings::BaudRate::B57600;
        SerialSetupDialog dialog(current);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Setup"));
        auto* port = child<QComboBox>(&dialog, "Port");
        auto* baud = child<QComboBox>(&dialog, "BaudRate");
        QCOMPARE(port->currentText(), QStringLiteral("/dev/serial/by-id/usb-board"));
        QCOMPARE(baud->count(), 16);
        QCOMPARE(baud->itemText(0), QStringLiteral("Custom"));
        QCOMPARE(baud->currentText(), QStringLiteral("57600"));
        QCOMPARE(child<QComboBox>(&dialog, "Parity")->currentText(), QStringLiteral("None"));
        QCOMPARE(child<QComboBox>(&dialog, "FlowControl")->currentText(), QStringLiteral("None"));
        port->setEditText("ttyUSB1");
        baud->setCurrentIndex(baud->findText("9600"));
        child<QComboBox>(&dialog, "StopBits")->setCurrentIndex(2);
        child<QComboBox>(&dialog, "FlowControl")->setCurrentIndex(1);
        const auto chosen = dialog.settings();
        QCOMPARE(chosen.portName, std::string("ttyUSB1"));
        QCOMPARE(chosen.baudRate, corvane::settings::BaudRate::B9600);
        QCOMPARE(chosen.stopBits, corvane::settings::StopBits::Two);
        QVERIFY(chosen.flow.xonXoffIn && chosen.flow.xonXoffOut);
    }
};

QTEST_MAIN(DispatchTest)
#include "dispatch_test.moc"
