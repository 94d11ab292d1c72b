// The two transports, the interface boxes, "Connect " and the single send path.
#include "app/tform1.h"

#include "dialogs/tform2.h"
#include "platform/files.h"
#include "platform/pacing.h"
#include "platform/prompts.h"
#include "platform/serial_open.h"
#include "ui_tform1.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QScopeGuard>
#include <QThread>

void TForm1::wireLink() {
    connect(ui->RS232Check, &QCheckBox::toggled, this, &TForm1::RS232CheckClick);
    connect(ui->UDPCheck, &QCheckBox::toggled, this, &TForm1::UDPCheckClick);
    connect(ui->Connect1, &QAction::triggered, this, &TForm1::Connect1Click);
    connect(ui->Configuration1, &QAction::triggered, this, &TForm1::ConfigurationClick);
    connect(ui->Connect2, &QAction::triggered, this, &TForm1::Configuration2Click);
    // Queued, so that characters arriving while a reply handler waits (an open message box, an
    // acknowledgement wait) are received and dispatched then too; a direct call would be held
    // back by the port until the handler returns.
    connect(ComPort1, &QSerialPort::readyRead, this, &TForm1::ComPort1RxChar, Qt::QueuedConnection);
    connect(ComPort1, &QSerialPort::errorOccurred, this, &TForm1::onSerialError);
    wireDiscovery();
}

bool TForm1::udpActive() const {
    return Uc->state() != QAbstractSocket::UnconnectedState;
}

void TForm1::setConNot(const QString& text, const QColor& colour) {
    ui->ConNot->setText(text);
    QPalette pal = ui->ConNot->palette();
    pal.setColor(QPalette::WindowText, colour);
    ui->ConNot->setPalette(pal);
}

void TForm1::showReady() {
    AckReceived = true;
    setReady(true);
}

void TForm1::refuseSend() {
    platform::message(QStringLiteral("Please Connect First !! "),
                      QStringLiteral("Connection needed"));
    Timer1->stop();
}

// Every command leaves through here. Over UDP the reply is received and dispatched before this
// returns; over RS232 it arrives later through the characters-received event.
bool TForm1::CWriteStr(const std::string& text) {
    if (ui->UDPCheck->isChecked()) {
        if (udpActive()) {
            dropStaleDatagrams();
            Uc->write(text.data(), static_cast<qint64>(text.size()));
            setReady(false);
            AckReceived = false;
            const std::string reply = receiveDatagram(UcReceiveTimeout);
            UDPRxChar(reply, static_cast<int>(reply.size()));
        } else {
            refuseSend();
        }
    }
    if (ui->RS232Check->isChecked()) {
        if (ComPort1->isOpen()) {
            if (!text.empty()) {
                // The bytes are handed to the device before the send returns.
                ComPort1->write(text.data(), static_cast<qint64>(text.size()));
                ComPort1->flush();
                if (ComPort1->isOpen() && ComPort1->bytesToWrite() > 0)
                    ComPort1->waitForBytesWritten(1000);
                // The serial layer failed, the port is closed and the operator was told why:
                // the sending handler ends here.
                if (!ComPort1->isOpen())
                    return false;
            }
            setReady(false);
            AckReceived = false;
        } else {
            refuseSend();
        }
    }
    return true;
}

// Datagrams already waiting answer commands whose wait has ended: none of them is the reply to
// the command about to be sent.
void TForm1::dropStaleDatagrams() {
    for (int i = 0; i < 1024 && Uc->hasPendingDatagrams(); ++i) {
        if (!Uc->receiveDatagram(8192).isValid() && Uc->pendingDatagramSize() < 0)
            break;
    }
}

// One datagram, or an empty text when none arrives in time. A wake-up without a datagram (an ICMP
// error from a closed port) does not end the wait.
//
// The wait is the protocol's, but the window must not freeze: in short steps it repaints (pending
// window-system events other than operator input) and shows a busy cursor. Operator input stays
// queued until the wait is over; socket notifiers (serial reception) are not served; timer and
// serial handlers that fall due are held and run once afterwards (heldByUdpWait).
std::string TForm1::receiveDatagram(int timeoutMs) {
    constexpr qint64 kStepMs = 50;
    QDeadlineTimer deadline(timeoutMs);
    const bool outerWait = std::exchange(udpWaiting_, true);
    bool busyCursor = false;
    const auto endWait = qScopeGuard([&] {
        if (busyCursor)
            QGuiApplication::restoreOverrideCursor();
        udpWaiting_ = outerWait;
        if (!outerWait)
            releaseHeldHandlers();
    });
    while (true) {
        while (Uc->hasPendingDatagrams()) {
            const QNetworkDatagram datagram = Uc->receiveDatagram(8192);
            if (datagram.isValid()) {
                const QByteArray data = datagram.data();
                return std::string(data.constData(), static_cast<size_t>(data.size()));
            }
            if (Uc->pendingDatagramSize() < 0)
                break;
        }
        const qint64 left = deadline.remainingTime();
        if (left <= 0 || Uc->state() == QAbstractSocket::UnconnectedState)
            return {};
        if (!Uc->waitForReadyRead(static_cast<int>(std::min(left, kStepMs))) &&
            !deadline.hasExpired() && Uc->error() != QAbstractSocket::SocketTimeoutError) {
            // The socket reported an error at once; do not spin on it.
            QThread::msleep(static_cast<unsigned long>(std::min<qint64>(20, left)));
        }
        if (!Uc->hasPendingDatagrams()) {
            if (!busyCursor) {
                QGuiApplication::setOverrideCursor(Qt::WaitCursor);
                busyCursor = true;
            }
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                            QEventLoop::ExcludeSocketNotifiers);
        }
    }
}

bool TForm1::heldByUdpWait(void (TForm1::*handler)(), const QTimer* timer) {
    if (!udpWaiting_)
        return false;
    const bool known = std::any_of(held_.begin(), held_.end(), [handler](const HeldHandler& h) {
        return h.handler == handler;
    });
    if (!known)
        held_.push_back({handler, timer});
    return true;
}

// Through the event queue, so that they run after the handler that waited, as they would have
// after a wait that blocked the window.
void TForm1::releaseHeldHandlers() {
    for (const HeldHandler& h : std::exchange(held_, {})) {
        QMetaObject::invokeMethod(
            this,
            [this, h] {
                if (!h.timer || h.timer->isActive())
                    (this->*h.handler)();
            },
            Qt::QueuedConnection);
    }
}

// Ticking one interface box clears the other; clearing it does not touch the first.
void TForm1::RS232CheckClick(bool checked) {
    if (checked)
        ui->UDPCheck->setChecked(false);
}

void TForm1::UDPCheckClick(bool checked) {
    if (checked)
        ui->RS232Check->setChecked(false);
}

bool TForm1::openSerialPort() {
    if (ComPort1->isOpen())
        return true;
    serialClosing_ = false;
    if (!ComPort1->open(QIODevice::ReadWrite)) {
        platform::message(serialopen::failureText(ComPort1->portName(), ComPort1->error(),
                                                  ComPort1->errorString()));
        ComPort1->clearError();
        return false;
    }
    // No flow control holds DTR and RTS inactive (a pseudo-terminal has no such lines, so the
    // error it raises for them is dropped below).
    if (ComPort1->flowControl() == QSerialPort::NoFlowControl) {
        ComPort1->setDataTerminalReady(false);
        ComPort1->setRequestToSend(false);
    }
    ComPort1->clearError();
    return true;
}

// A device that goes away makes the serial layer repeat its error endlessly: close once, say it
// once.
void TForm1::onSerialError(QSerialPort::SerialPortError error) {
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
        error != QSerialPort::WriteError)
        return;
    if (serialClosing_ || !ComPort1->isOpen())
        return;
    serialClosing_ = true;
    const QString text = ComPort1->errorString();
    ComPort1->close();
    ComPort1->clearError();
    Timer1->stop();
    setConNot(QStringLiteral("Not Connected"), Qt::black);
    platform::message(text);
}

bool TForm1::connectUdp(int receiveTimeout) {
    const auto endpoint = corvane::settings::parseEndpoint(Form2->endpoint());
    if (!endpoint.error.empty()) {
        platform::message(platform::toQ(endpoint.error));
        return false;
    }
    const QString local = platform::toQ(endpoint.myIp);
    const QString host = platform::toQ(endpoint.boardIp);
    const int localPort = endpoint.sourcePort;
    const int hostPort = endpoint.boardPort;
    UcReceiveTimeout = receiveTimeout;
    Uc->abort();
    QHostAddress localAddress(QHostAddress::AnyIPv4);
    if (!local.isEmpty() && !localAddress.setAddress(local)) {
        platform::message(QStringLiteral("'%1' is not a valid IP address for My IP").arg(local));
        return false;
    }
    if (!Uc->bind(localAddress, static_cast<quint16>(localPort))) {
        platform::message(Uc->errorString());
        Uc->abort();
        return false;
    }
    QHostAddress board;
    if (!board.setAddress(host)) {
        const QHostInfo info = QHostInfo::fromName(host);
        const auto addresses = info.addresses();
        const auto it = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& a) {
            return a.protocol() == QAbstractSocket::IPv4Protocol;
        });
        if (info.error() != QHostInfo::NoError || it == addresses.end()) {
            platform::message(info.error() != QHostInfo::NoError
                                  ? info.errorString()
                                  : QStringLiteral("Host not found: %1").arg(host));
            Uc->abort();
            return false;
        }
        board = *it;
    }
    Uc->connectToHost(board, static_cast<quint16>(hostPort));
    if (!Uc->waitForConnected(1000)) {
        platform::message(Uc->errorString());
        Uc->abort();
        return false;
    }
    return true;
}

void TForm1::Connect1Click() {
    if (ui->RS232Check->isChecked()) {
        if (ComPort1->isOpen()) {
            ClearUI();
            Timer1->stop();
            ComPort1->close();
            setConNot(QStringLiteral("Not Connected"), Qt::black);
            StreamingOn = false;
        } else if (openSerialPort()) {
            startIfStopped(Timer1);
        }
    }
    if (ui->UDPCheck->isChecked()) {
        if (udpActive()) {
            ClearUI();
            Uc->abort();
            setConNot(QStringLiteral("Not Connected"), Qt::black);
            StreamingOn = false;
            Timer1->stop();
        } else if (connectUdp(platform::pacing::interval(1000))) {
            startIfStopped(Timer1);
        }
    }
}

void TForm1::Configuration2Click() {
    Form2->showCentred();
}

void TForm1::ComPort1RxChar() {
    if (heldByUdpWait(&TForm1::ComPort1RxChar, nullptr))
        return;
    const QByteArray data = ComPort1->readAll();
    if (data.isEmpty())
        return;
    RxBuffer.append(std::string_view(data.constData(), static_cast<size_t>(data.size())));
    dispatchSerial();
}

// Handles the characters the serial port holds right now: the characters-received event is queued
// and would bring them only at the next step of a wait.
void TForm1::receiveSerialNow() {
    if (!ComPort1->isOpen())
        return;
    if (ComPort1->bytesAvailable() == 0 && !ComPort1->waitForReadyRead(0)) {
        if (ComPort1->error() == QSerialPort::TimeoutError)
            ComPort1->clearError(); // nothing waiting: no error
        return;
    }
    if (ComPort1->isOpen())
        ComPort1RxChar();
}
