#include "link/link_keeper.h"

#include "core/frames.h"
#include "platform/latin1.h"
#include "platform/pacing.h"
#include "platform/serial_open.h"

#include <QHostAddress>
#include <QHostInfo>
#include <QSerialPort>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>

namespace settings = corvane::settings;
using platform::toQ;

namespace {

constexpr int kKeepAliveMs = 5000;
constexpr int kSerialRetryMs = 1000;
constexpr int kProbeEveryMs = 2000;
constexpr int kRestartProbes = 60; // 2 minutes of probes every 2 s
constexpr int kUdpProbeWaitMs = 500;

QSerialPort::Parity toQt(settings::Parity p) {
    switch (p) {
    case settings::Parity::Odd:
        return QSerialPort::OddParity;
    case settings::Parity::Even:
        return QSerialPort::EvenParity;
    case settings::Parity::Mark:
        return QSerialPort::MarkParity;
    case settings::Parity::Space:
        return QSerialPort::SpaceParity;
    case settings::Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(settings::StopBits s) {
    switch (s) {
    case settings::StopBits::OnePointFive:
        return QSerialPort::OneAndHalfStop;
    case settings::StopBits::Two:
        return QSerialPort::TwoStop;
    case settings::StopBits::One:
        break;
    }
    return QSerialPort::OneStop;
}

QSerialPort::FlowControl toQt(const settings::FlowSettings& f) {
    if (f.rts == settings::RtsControl::Handshake || f.ctsOutputFlow)
        return QSerialPort::HardwareControl;
    if (f.xonXoffIn || f.xonXoffOut)
        return QSerialPort::SoftwareControl;
    return QSerialPort::NoFlowControl;
}

} // namespace

LinkKeeper::LinkKeeper(BoardLink& link, QObject* parent)
    : QObject(parent), keepAliveTimer(new QTimer(this)), reconnectTimer(new QTimer(this)),
      link_(link), noteTimer_(new QTimer(this)) {
    keepAliveTimer->setObjectName(QStringLiteral("Timer1"));
    keepAliveTimer->setInterval(platform::pacing::interval(kKeepAliveMs));
    connect(keepAliveTimer, &QTimer::timeout, this, &LinkKeeper::keepAliveTick);
    reconnectTimer->setObjectName(QStringLiteral("ReconnectTimer"));
    connect(reconnectTimer, &QTimer::timeout, this, &LinkKeeper::reconnectTick);
    noteTimer_->setSingleShot(true);
    // Long enough to be read, also where tests shrink time.
    noteTimer_->setInterval(std::max(platform::pacing::interval(5000), 1000));
    connect(noteTimer_, &QTimer::timeout, this, [this] {
        if (!reconnecting())
            setStatus({});
    });
    connect(&link_, &BoardLink::serialLost, this, &LinkKeeper::onSerialLost);
    // The platform has no "COM1"; the first serial device is the default.
    settings::SerialSettings defaults;
    defaults.portName = "ttyS0";
    setSerialSettings(defaults);
}

LinkKeeper::~LinkKeeper() = default;

// ---- The interface ------------------------------------------------------------------------------

void LinkKeeper::setInterface(Interface chosen) {
    link_.setInterface(chosen);
}

LinkKeeper::Interface LinkKeeper::chosenInterface() const {
    return link_.chosenInterface();
}

bool LinkKeeper::linkOpen() const {
    switch (link_.chosenInterface()) {
    case Interface::Serial:
        return link_.serialOpen();
    case Interface::Udp:
        return link_.udpConnected();
    case Interface::None:
        break;
    }
    return false;
}

// ---- Settings and opening -----------------------------------------------------------------------

bool LinkKeeper::setSerialSettings(const settings::SerialSettings& settings, QString* errorText) {
    const bool moved = settings.portName != serial_.portName;
    serial_ = settings;
    QSerialPort* port = link_.serial;
    const bool reopen = moved && port->isOpen();
    if (reopen)
        port->close();
    port->setPortName(toQ(settings.portName));
    port->setBaudRate(settings::baudValue(settings));
    port->setDataBits(
        static_cast<QSerialPort::DataBits>(settings::dataBitsValue(settings.dataBits)));
    port->setParity(toQt(settings.parity));
    port->setStopBits(toQt(settings.stopBits));
    port->setFlowControl(toQt(settings.flow));
    port->clearError();
    return !reopen || openSerial(errorText);
}

corvane::settings::UdpEndpoint LinkKeeper::udpEndpoint() const {
    return endpoint_ ? endpoint_() : corvane::settings::UdpEndpoint{};
}

void LinkKeeper::setUdpEndpoint(std::function<settings::UdpEndpoint()> endpoint) {
    endpoint_ = std::move(endpoint);
}

bool LinkKeeper::openSerial(QString* errorText) {
    QSerialPort::SerialPortError code = QSerialPort::NoError;
    QString error;
    if (link_.openSerial(&error, &code))
        return true;
    if (errorText)
        *errorText = platform::serialopen::failureText(link_.serial->portName(), code, error);
    return false;
}

bool LinkKeeper::openUdp(QString* errorText, int replyMs) {
    settings::UdpEndpoint endpoint;
    if (endpoint_)
        endpoint = endpoint_();
    else
        endpoint.error = "No UDP address is set";
    if (replyMs < 0)
        replyMs = platform::pacing::interval(BoardLink::kUdpReplyMs);
    if (!link_.connectUdp(endpoint, replyMs, errorText))
        return false;
    // Kept, so that reconnecting needs no lookup of the board's name.
    resolvedName_ = toQ(endpoint.boardIp);
    resolvedAddress_ = link_.udp->peerAddress().toString();
    return true;
}

bool LinkKeeper::openSerial(const settings::SerialSettings& settings, QString* errorText) {
    if (!setSerialSettings(settings, errorText) || !openSerial(errorText))
        return false;
    setInterface(Interface::Serial);
    return true;
}

bool LinkKeeper::openUdp(const settings::UdpEndpoint& endpoint, QString* errorText) {
    setUdpEndpoint([endpoint] { return endpoint; });
    if (!openUdp(errorText))
        return false;
    setInterface(Interface::Udp);
    return true;
}

LinkKeeper::Toggle LinkKeeper::toggle(QString* errorText) {
    const bool wasReconnecting = reconnecting();
    stopReconnect();
    const Interface chosen = link_.chosenInterface();
    if (chosen == Interface::None)
        return Toggle::Nothing;
    if (linkOpen()) {
        if (!wasReconnecting)
            return Toggle::Close;
        startKeepAlive();
        return Toggle::Kept;
    }
    if (!(chosen == Interface::Serial ? openSerial(errorText) : openUdp(errorText)))
        return Toggle::Failed;
    startKeepAlive();
    return wasReconnecting ? Toggle::Kept : Toggle::Opened;
}

// ---- The keep-alive -----------------------------------------------------------------------------

void LinkKeeper::keepAliveTick() {
    if (link_.deferWhileReceiving(
            keepAliveTimer, [this] { keepAliveTick(); }, keepAliveTimer))
        return;
    if (!link_.serialOpen() && !link_.udpConnected())
        return;
    // A running sequence shows the link alive; the keep-alive would come between its commands.
    if (link_.sequenceRunning())
        return;
    if (link_.keepAlivePending)
        emit keepAliveMissed();
    link_.keepAlivePending = true;
    link_.send(corvane::frames::keepAlive());
}

void LinkKeeper::startKeepAlive() {
    if (!keepAliveTimer->isActive())
        keepAliveTimer->start();
}

void LinkKeeper::stopKeepAlive() {
    keepAliveTimer->stop();
}

// ---- Reconnecting -------------------------------------------------------------------------------

void LinkKeeper::setStatus(const QString& text) {
    if (text == status_)
        return;
    status_ = text;
    emit statusChanged(text);
}

QString LinkKeeper::serialTarget() const {
    return toQ(serial_.portName);
}

// Off, the link stays as the tries left it, and is kept alive as after "Connect ".
void LinkKeeper::setReconnect(bool on) {
    reconnectOn_ = on;
    if (on || !reconnecting())
        return;
    stopReconnect();
    if (linkOpen())
        startKeepAlive();
}

void LinkKeeper::stopReconnect() {
    reconnectTimer->stop();
    state_ = State::Idle;
    noteTimer_->stop();
    setStatus({});
}

void LinkKeeper::finishReconnect(const QString& note) {
    reconnectTimer->stop();
    state_ = State::Idle;
    setStatus(note);
    noteTimer_->start();
}

// The serial port of the chosen interface went away (the link has closed it).
void LinkKeeper::onSerialLost(const QString& reason) {
    if (!reconnectOn_ || link_.chosenInterface() != Interface::Serial)
        return;
    if (state_ == State::Restart)
        return; // the restart's own tries open it again
    state_ = State::SerialLost;
    target_ = serialTarget();
    link_.replySeen = false;
    QString text = QStringLiteral("Reconnecting to %1\u2026").arg(target_);
    if (!reason.isEmpty())
        text += QStringLiteral(" (the port was lost: %1)").arg(reason);
    setStatus(text);
    reconnectTimer->start(platform::pacing::interval(kSerialRetryMs));
    emit reconnectStarted(target_);
}

settings::UdpEndpoint LinkKeeper::restartEndpoint(QString* errorText) {
    settings::UdpEndpoint endpoint;
    if (endpoint_)
        endpoint = endpoint_();
    if (!endpoint.error.empty()) {
        *errorText = toQ(endpoint.error);
        return endpoint;
    }
    const QString name = toQ(endpoint.boardIp);
    if (QHostAddress literal; literal.setAddress(name))
        return endpoint;
    if (name == resolvedName_ && !resolvedAddress_.isEmpty()) {
        endpoint.boardIp = resolvedAddress_.toStdString();
        return endpoint;
    }
    // Looked up once for the whole reconnect, not at every probe.
    const QHostInfo info = QHostInfo::fromName(name);
    const auto addresses = info.addresses();
    const auto it = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& a) {
        return a.protocol() == QAbstractSocket::IPv4Protocol;
    });
    if (it == addresses.end()) {
        *errorText = info.error() != QHostInfo::NoError
                         ? info.errorString()
                         : QStringLiteral("Host not found: %1").arg(name);
        return endpoint;
    }
    endpoint.boardIp = it->toString().toStdString();
    return endpoint;
}

void LinkKeeper::afterRestart(bool serial, bool udp) {
    if (!reconnectOn_ || (!serial && !udp))
        return;
    target_ = serial ? serialTarget() : toQ(endpoint_ ? endpoint_().boardIp : std::string());
    QString error;
    if (udp)
        restartTarget_ = restartEndpoint(&error);
    if (!error.isEmpty()) {
        finishReconnect(QStringLiteral("Not reconnected to %1: %2").arg(target_, error));
        emit reconnectGaveUp(target_);
        return;
    }
    state_ = State::Restart;
    restartSerial_ = serial;
    restartUdp_ = udp;
    restartTicks_ = 0;
    link_.replySeen = false;
    noteTimer_->stop();
    setStatus(QStringLiteral("Reconnecting to %1\u2026").arg(target_));
    reconnectTimer->start(platform::pacing::interval(kProbeEveryMs));
    emit reconnectStarted(target_);
}

// A tick during a UDP reply wait runs right after it; a tick while a sequence runs does nothing:
// no probe comes between a command and its reply, and no link closes under a sequence.
void LinkKeeper::reconnectTick() {
    if (link_.deferWhileReceiving(
            reconnectTimer, [this] { reconnectTick(); }, reconnectTimer))
        return;
    if (link_.sequenceRunning())
        return;
    if (state_ == State::Restart) {
        restartTick();
        return;
    }
    if (state_ != State::SerialLost)
        return;
    if (link_.chosenInterface() != Interface::Serial) {
        stopReconnect(); // the operator chose the other interface
        return;
    }
    // Quietly: a device that is still away is no news to the operator. A device that opens
    // counts only once the board answers the probe sent at the tick before.
    if (!link_.serialOpen()) {
        if (!link_.openSerial(nullptr))
            return;
    } else if (link_.replySeen) {
        startKeepAlive();
        finishReconnect(QStringLiteral("Reconnected to %1").arg(target_));
        emit reconnected(target_);
        return;
    }
    link_.replySeen = false;
    link_.send(corvane::frames::probe());
}

void LinkKeeper::restartTick() {
    // The probe sent at the tick before has had its 2 s: its answer sets the reply flag.
    if (restartSerial_ && link_.serialOpen() && link_.replySeen &&
        link_.chosenInterface() == Interface::Serial) {
        startKeepAlive();
        finishReconnect(QStringLiteral("Reconnected to %1").arg(target_));
        emit reconnected(target_);
        return;
    }
    if (++restartTicks_ > kRestartProbes) {
        if (restartSerial_)
            link_.closeSerial();
        if (restartUdp_)
            link_.closeUdp();
        finishReconnect(
            QStringLiteral("Not reconnected to %1: the board did not answer for 2 minutes")
                .arg(target_));
        emit reconnectGaveUp(target_);
        return;
    }
    if (restartSerial_ && link_.chosenInterface() == Interface::Serial) {
        if (link_.serialOpen() || link_.openSerial(nullptr)) {
            link_.replySeen = false;
            link_.send(corvane::frames::probe());
        }
    }
    if (restartUdp_ && link_.chosenInterface() == Interface::Udp) {
        if (link_.udpConnected() ||
            link_.connectUdp(restartTarget_, platform::pacing::interval(BoardLink::kUdpReplyMs),
                             nullptr)) {
            if (link_.probeUdp(platform::pacing::interval(kUdpProbeWaitMs))) {
                startKeepAlive();
                finishReconnect(QStringLiteral("Reconnected to %1").arg(target_));
                emit reconnected(target_);
            }
        }
    }
}
