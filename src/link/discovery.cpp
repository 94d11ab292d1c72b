// Keep-alive, board search and the acknowledgement wait.
#include "app/tform1.h"

#include "core/frames.h"
#include "platform/pacing.h"
#include "ui_tform1.h"

#include <QCoreApplication>
#include <QMenu>

namespace frames = corvane::frames;

void TForm1::wireDiscovery() {
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
    connect(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);
    connect(ui->StartKeepAlive1, &QAction::triggered, this, &TForm1::StartKeepAlive1Click);
    connect(ui->StopKeepAlive1, &QAction::triggered, this, &TForm1::StopKeepAlive1Click);
    connect(ui->Test, &QMenu::aboutToShow, this, &TForm1::TestClick);
    connect(ui->estRS2321, &QAction::triggered, this, &TForm1::estRS2321Click);
    connect(ui->estUDP1, &QAction::triggered, this, &TForm1::estUDP1Click);
    connect(ui->estBurn1, &QAction::triggered, this, &TForm1::estBurn1Click);
    connect(ui->estBoth1, &QAction::triggered, this, &TForm1::estBoth1Click);
}

// Every 5 s: a keep-alive; one still unanswered from the tick before means the board is gone.
void TForm1::Timer1Timer() {
    if (heldByUdpWait(&TForm1::Timer1Timer, Timer1))
        return;
    if (!ComPort1->isOpen() && !udpActive())
        return;
    if (KeepAlivePending)
        setConNot(QStringLiteral("Not Connected"), Qt::black);
    KeepAlivePending = true;
    CWriteStr(frames::keepAlive());
}

void TForm1::StartKeepAlive1Click() {
    startIfStopped(Timer1);
}

void TForm1::StopKeepAlive1Click() {
    Timer1->stop();
}

// Opening the "Test" menu prepares a search.
void TForm1::TestClick() {
    SearchLimit = 15;
    ui->RS232Check->setChecked(false);
    ui->UDPCheck->setChecked(false);
    setConNot(QStringLiteral("Not Connected"), Qt::black);
}

void TForm1::startSearch(std::uint8_t mode, std::int32_t limit) {
    TestMode = mode;
    SearchLimit = limit;
    SearchActive = true;
    ClearUI();
    startIfStopped(Timer2);
}

void TForm1::startIfStopped(QTimer* timer) {
    if (!timer->isActive())
        timer->start();
}

void TForm1::estRS2321Click() {
    startSearch(0, SearchLimit);
}

void TForm1::estUDP1Click() {
    startSearch(1, SearchLimit);
}

void TForm1::estBoth1Click() {
    startSearch(2, SearchLimit);
}

void TForm1::estBurn1Click() {
    startSearch(0, 80);
}

// One search tick: probe, then report. A probe whose transport cannot be opened ends the probing
// of this tick, but the tick still counts, so a search always ends.
void TForm1::Timer2Timer() {
    if (heldByUdpWait(&TForm1::Timer2Timer, Timer2))
        return;
    if (searchTickRunning_)
        return; // a message box of the previous tick is still open
    searchTickRunning_ = true;
    ++SearchTries;
    if (TestMode == 2) {
        TestforConnectionRS232();
        if (!probeFailed_)
            TestforConnectionUDP();
    } else if (TestMode == 0) {
        TestforConnectionRS232();
    } else if (TestMode == 1) {
        TestforConnectionUDP();
    }
    if (ui->RS232Check->isChecked() || ui->UDPCheck->isChecked()) {
        Timer2->stop();
        SearchActive = false;
        ui->Panel5->setText(QStringLiteral("Board Found"));
    } else {
        ui->Panel5->setText(QStringLiteral("Please Wait Try  ") + QString::number(SearchTries));
    }
    if (SearchTries > SearchLimit) {
        Timer2->stop();
        ui->Panel5->setText(QStringLiteral("Error no Board Found "));
        SearchTries = 0;
    }
    searchTickRunning_ = false;
}

// The RS232 probe: open, send the probe, watch for its answer for up to a second, close again.
void TForm1::TestforConnectionRS232() {
    probeFailed_ = false;
    ui->RS232Check->setChecked(false);
    ui->UDPCheck->setChecked(false);
    if (ComSettings.portName.empty())
        return;
    ReplySeen = false;
    if (!openSerialPort()) {
        probeFailed_ = true;
        return;
    }
    const std::string probe = frames::probe();
    ComPort1->write(probe.data(), static_cast<qint64>(probe.size()));
    ComPort1->flush();
    for (int i = 0; i < 10; ++i) {
        platform::pacing::sleep(100);
        QCoreApplication::processEvents();
        receiveSerialNow();
        if (ReplySeen) {
            ui->RS232Check->setChecked(true);
            ui->UDPCheck->setChecked(false);
            ui->Panel4->clear();
            break;
        }
    }
    ComPort1->close();
}

// The UDP probe: connect as "Connect " does with a 10 s receive timeout, send the probe, read one
// datagram (blocking), close again.
void TForm1::TestforConnectionUDP() {
    probeFailed_ = false;
    ui->UDPCheck->setChecked(false);
    if (!connectUdp(platform::pacing::interval(10000))) {
        probeFailed_ = true;
        return;
    }
    const std::string probe = frames::probe();
    Uc->write(probe.data(), static_cast<qint64>(probe.size()));
    const std::string answer = receiveDatagram(UcReceiveTimeout);
    if (answer.find("B74D") != std::string::npos) {
        ui->UDPCheck->setChecked(true);
        ui->RS232Check->setChecked(false);
    }
    Uc->abort();
}

// Waits up to 6 s for the acknowledgement of the command just sent, keeping the window alive.
void TForm1::WaitforAck() {
    AckWaiting = true;
    startIfStopped(Timer3);
    while (!AckReceived && AckWaiting) {
        platform::pacing::sleep(200);
        // Replies and timers run; the operator's input waits until the sequence has ended.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        receiveSerialNow();
    }
    if (!AckWaiting)
        ui->Panel9->setText(QStringLiteral("Error Ack. from Board"));
    Timer3->stop();
}

void TForm1::Timer3Timer() {
    if (heldByUdpWait(&TForm1::Timer3Timer, Timer3))
        return;
    AckWaiting = false;
}
