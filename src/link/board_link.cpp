#include "link/board_link.h"

#include "core/frames.h"
#include "link/datagram.h"
#include "platform/latin1.h"
#include "platform/pacing.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QHostInfo>
#include <QMetaMethod>
#include <QScopeGuard>
#include <QSerialPort>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <ctime>
#include <optional>

namespace replies = corvane::replies;
using platform::toQ;

BoardLink::BoardLink(QObject* parent)
    : QObject(parent), serial(new QSerialPort(this)), udp(new QUdpSocket(this)),
      ackTimer(new QTimer(this)) {
    serial->setObjectName(QStringLiteral("ComPort1"));
    udp->setObjectName(QStringLiteral("Uc"));
    ackTimer->setObjectName(QStringLiteral("Timer3"));
    ackTimer->setInterval(platform::pacing::interval(kAckWaitMs));
    // A coarse timer may fire up to 5 % early; the board is given its whole time.
    ackTimer->setTimerType(Qt::PreciseTimer);
    connect(ackTimer, &QTimer::timeout, this, &BoardLink::ackTimeout);
    // Queued, so that characters arriving while a reply handler waits (an open message box, an
    // acknowledgement wait) are received and dispatched then too; a direct call would be held
    // back by the port until the handler returns.
    connect(serial, &QSerialPort::readyRead, this, &BoardLink::receiveSerial, Qt::QueuedConnection);
    connect(serial, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError e) { onSerialError(static_cast<int>(e)); });
}

BoardLink::~BoardLink() = default;

void BoardLink::setInterface(Interface chosen) {
    if (chosen == interface_)
        return;
    interface_ = chosen;
    emit interfaceChanged(chosen);
}

bool BoardLink::serialOpen() const {
    return serial->isOpen();
}

bool BoardLink::udpConnected() const {
    return udp->state() != QAbstractSocket::UnconnectedState;
}

replies::Transport BoardLink::activeTransport() const {
    return interface_ == Interface::Udp ? replies::Transport::Udp : replies::Transport::Serial;
}

// ---- What runs while the link waits -------------------------------------------------------------

// The one rule, for every wait and pause of the link (an acknowledgement, a UDP reply, a probe
// answer, a pause of a sequence):
//  - the window stays usable: the operator's input, repainting, replies and timers run; a command
//    that input would send while a sequence runs is refused (busy), so two sequences never
//    interleave on the wire;
//  - while a UDP reply is awaited, socket notifiers are not served, and the handlers that would
//    send or receive (keep-alive, search tick, acknowledgement timeout, serial reception) are
//    held and run once right after the wait (deferWhileReceiving), so nothing goes out between a
//    UDP command and its reply.
//
// What is served meanwhile is foreign to the running sequence: its own code runs as the owner
// again once the wait is over.
void BoardLink::serveEvents(QEventLoop* loop, Sockets sockets) {
    QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents;
    if (udpWaiting_ && sockets == Sockets::ByRule)
        flags |= QEventLoop::ExcludeSocketNotifiers;
    const bool wasOwner = std::exchange(owner_, false);
    if (loop) {
        QEventLoop* const outer = std::exchange(idleLoop_, loop);
        loop->exec(flags);
        idleLoop_ = outer;
    } else {
        QCoreApplication::processEvents(flags);
    }
    owner_ = wasOwner;
}

void BoardLink::idle(int ms) {
    if (ms <= 0 || stopped())
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(ms);
    serveEvents(&loop);
}

bool BoardLink::waitUntil(const std::function<bool()>& done, int ms) {
    // How often the condition is looked at: the events that make it true do not end the wait.
    constexpr qint64 kLookMs = 20;
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);
    while (!done() && !stopped()) {
        const qint64 left = deadline.remainingTime();
        if (left <= 0)
            return false;
        idle(int(std::min(left, kLookMs)));
        receiveSerialNow();
    }
    return done();
}

// ---- Sequences ----------------------------------------------------------------------------------

BoardLink::Sequence::Sequence(BoardLink& link, const QString& name, int total, bool shown)
    : link_(link), started_(!link.seq_.active), wasOwner_(link.owner_) {
    if (!started_) {
        emit link_.busy(link_.seq_.report.name);
        return;
    }
    link_.seq_ = {};
    link_.seq_.active = true;
    link_.seq_.report.name = name;
    link_.seq_.report.total = total;
    link_.seq_.report.shown = shown;
    link_.owner_ = true;
    if (shown)
        emit link_.sequenceProgress(name, 0, total);
}

BoardLink::Sequence::~Sequence() {
    if (!started_)
        return;
    SequenceReport report = link_.seq_.report;
    report.refused = std::max(report.refused, link_.seq_.refusalsHeard);
    link_.seq_ = {};
    link_.owner_ = wasOwner_;
    emit link_.sequenceEnded(report);
}

void BoardLink::Sequence::stepsDone(int done, int total) {
    if (!started_)
        return;
    SequenceReport& report = link_.seq_.report;
    report.sent = done;
    report.total = total;
    if (report.shown)
        emit link_.sequenceProgress(report.name, done, total);
}

void BoardLink::Sequence::setUnit(const QString& unit) {
    if (started_)
        link_.seq_.report.unit = unit;
}

void BoardLink::Sequence::setEndText(EndText text) {
    if (started_)
        link_.seq_.report.endText = std::move(text);
}

void BoardLink::Sequence::yield() {
    if (started_)
        link_.owner_ = wasOwner_;
}

void BoardLink::stopSequence(SequenceEnd end, const QString& reason) {
    if (!seq_.active || seq_.stopping)
        return;
    seq_.stopping = true;
    seq_.report.end = end;
    seq_.report.reason = reason;
    if (idleLoop_)
        idleLoop_->quit();
    emit sequenceStopRequested();
}

int BoardLink::countSends(const corvane::steps::Steps& steps) {
    return static_cast<int>(std::count_if(steps.begin(), steps.end(), [](const auto& step) {
        return step.kind == corvane::steps::Step::Kind::Send;
    }));
}

bool BoardLink::deferWhileReceiving(const void* key, std::function<void()> handler,
                                    const QTimer* whileRunning) {
    if (!udpWaiting_)
        return false;
    const bool known =
        std::any_of(held_.begin(), held_.end(), [key](const Held& h) { return h.key == key; });
    if (!known)
        held_.push_back({key, std::move(handler), whileRunning});
    return true;
}

// Through the event queue, so that they run after the handler that waited, as they would have
// after a wait that blocked the window.
void BoardLink::releaseHeld() {
    for (Held& h : std::exchange(held_, {})) {
        QMetaObject::invokeMethod(
            this,
            [h = std::move(h)] {
                if (!h.whileRunning || h.whileRunning->isActive())
                    h.handler();
            },
            Qt::QueuedConnection);
    }
}

// ---- Sending ------------------------------------------------------------------------------------

// Reading the exact clock costs about as much as handling a small piece, so it is read once per
// tick of the system's coarse clock (a few milliseconds): rows that follow within the same tick, as
// in a flood of pieces, share the tick's first stamp; rows further apart each get their exact time.
void BoardLink::restamp(const timespec& coarse) {
    stampTick_ = coarse;
    timespec exact{};
    ::clock_gettime(CLOCK_REALTIME, &exact);
    stampMsecs_ = qint64(exact.tv_sec) * 1000 + exact.tv_nsec / 1000000;
}

void BoardLink::reportRecognised(std::uint64_t piece, corvane::linklog::Recognised what) {
    if (recorder_) {
        const std::int64_t seq = recorder_->ring_.recognise(piece, what);
        if (seq >= 0 && recorder_->rowMarked)
            recorder_->rowMarked(static_cast<std::uint64_t>(seq));
    }
    recheckListeners();
    if (recognisedConnected_)
        emit recognised(piece, what);
}

void BoardLink::connectNotify(const QMetaMethod& signal) {
    if (signal == QMetaMethod::fromSignal(&BoardLink::traffic))
        trafficConnected_ = true;
    else if (signal == QMetaMethod::fromSignal(&BoardLink::recognised))
        recognisedConnected_ = true;
}

// Qt may call this while it holds the lock of the listener that goes away, and that lock can be
// the very one isSignalConnected() takes for the link (the locks are shared by address), so asking
// here could lock the thread against itself. The flags are asked again before the next row.
void BoardLink::disconnectNotify(const QMetaMethod&) {
    listenersChanged_ = true;
}

void BoardLink::recheckListeners() {
    if (!std::exchange(listenersChanged_, false))
        return;
    trafficConnected_ = isSignalConnected(QMetaMethod::fromSignal(&BoardLink::traffic));
    recognisedConnected_ = isSignalConnected(QMetaMethod::fromSignal(&BoardLink::recognised));
}

void BoardLink::record(replies::Transport link, LinkTraffic::Direction direction,
                       std::string_view text, bool stale) {
    const std::uint64_t id = ++trafficCount_;
    if (direction == LinkTraffic::Direction::Received)
        lastPiece_ = id;
    recheckListeners();
    if (!recorder_ && !trafficConnected_)
        return;
    const qint64 stamp = stampMsecs();
    if (recorder_) {
        recorder_->ring_.add(stamp, link, direction, text, id, stale);
        if (!recorder_->told_) {
            recorder_->told_ = true;
            if (recorder_->rowsCame)
                recorder_->rowsCame();
        }
    }
    if (trafficConnected_)
        emit traffic(LinkTraffic{stamp, link, direction, text, id, stale});
}

// Every command leaves through here.
bool BoardLink::send(const std::string& frame) {
    // Refused as busy: the acknowledgement flag belongs to the sequence on the wire and stays.
    if (foreign()) {
        emit busy(seq_.report.name);
        return false;
    }
    // A lone command is a sequence of its own while it is on its way.
    std::optional<Sequence> lone;
    if (!seq_.active)
        lone.emplace(*this, QStringLiteral("a command"), 1, false);
    if (interface_ == Interface::Udp) {
        if (!udpConnected())
            return refuse();
        dropStaleDatagrams();
        writeUdp(frame);
        emit frameSent();
        forgetAnswer();
        receiveDatagram(awaitDatagram(udpReceiveTimeout));
        return true;
    }
    if (interface_ != Interface::Serial || !serial->isOpen())
        return refuse();
    if (!frame.empty() && !writeSerial(frame)) {
        forgetAnswer();
        return false;
    }
    seq_.usedSerial = true;
    emit frameSent();
    forgetAnswer();
    return true;
}

// An acknowledgement seen earlier belongs to an earlier command: the wait after a frame that
// left nowhere must not pass on it.
bool BoardLink::refuse() {
    forgetAnswer();
    emit sendRefused();
    stopSequence(SequenceEnd::NoLink);
    return false;
}

void BoardLink::writeUdp(const std::string& frame) {
    udp->write(frame.c_str(), static_cast<qint64>(frame.size()));
    record(replies::Transport::Udp, LinkTraffic::Direction::Sent, frame);
}

// The bytes are handed to the device before this returns. False when the serial layer failed:
// the port is closed and the loss reported.
bool BoardLink::writeSerial(const std::string& frame) {
    serial->write(frame.c_str(), static_cast<qint64>(frame.size()));
    record(replies::Transport::Serial, LinkTraffic::Direction::Sent, frame);
    serial->flush();
    if (serial->isOpen() && serial->bytesToWrite() > 0)
        serial->waitForBytesWritten(1000);
    return serial->isOpen();
}

// False when the sequence ends early: a send failed on the serial port, the sequence was
// cancelled or stopped, or (shown sequences) three acknowledgement waits in a row went unanswered.
bool BoardLink::runSteps(const corvane::steps::Steps& steps) {
    using Kind = corvane::steps::Step::Kind;
    if (foreign()) {
        emit busy(seq_.report.name);
        return false;
    }
    std::optional<Sequence> own;
    if (!seq_.active)
        own.emplace(*this, QStringLiteral("a command"), countSends(steps), false);
    SequenceReport& report = seq_.report;
    for (const auto& step : steps) {
        if (stopped())
            return false;
        switch (step.kind) {
        case Kind::Send:
            if (!send(step.frame)) {
                // A frame that left nowhere ends the sequence; the serial layer's failure and a
                // refusal have said why already.
                stopSequence(SequenceEnd::NoLink);
                return false;
            }
            seq_.sentSinceWait = true;
            ++report.sent;
            report.total = std::max(report.total, report.sent);
            if (report.shown)
                emit sequenceProgress(report.name, report.sent, report.total);
            break;
        case Kind::Pause:
            pause(step.ms);
            break;
        case Kind::Wait: {
            // A wait that closes a step which sent nothing awaits no answer: it does not count
            // as one more unanswered.
            const bool awaited = std::exchange(seq_.sentSinceWait, false);
            if (waitForAck()) {
                seq_.timeoutsInRow = 0;
            } else if (startRefused && !stopped()) {
                // The board answered, with a refusal.
                ++report.refused;
                seq_.timeoutsInRow = 0;
            } else if (awaited && !stopped()) {
                ++report.unanswered;
                if (report.shown && ++seq_.timeoutsInRow >= kUnansweredInRow)
                    stopSequence(SequenceEnd::NoAnswer);
            }
            break;
        }
        }
    }
    return !stopped();
}

// The thread is not blocked: the window stays usable for the whole pause.
void BoardLink::pause(int ms) {
    idle(platform::pacing::interval(ms));
}

bool BoardLink::waitForAck() {
    ackWaiting = true;
    if (!ackTimer->isActive())
        ackTimer->start();
    while (!ackReceived && !startRefused && ackWaiting && !stopped()) {
        idle(platform::pacing::interval(200));
        receiveSerialNow();
    }
    if (stopped() || (startRefused && !ackReceived)) {
        ackTimer->stop();
        return false;
    }
    const bool acknowledged = ackWaiting;
    if (!acknowledged) {
        record(activeTransport(), LinkTraffic::Direction::Timeout, {});
        emit ackTimedOut();
    }
    ackTimer->stop();
    return acknowledged;
}

void BoardLink::ackTimeout() {
    if (deferWhileReceiving(
            &ackWaiting, [this] { ackTimeout(); }, ackTimer))
        return;
    ackWaiting = false;
}

// ---- Receiving ----------------------------------------------------------------------------------

void BoardLink::applyEffect(const replies::Effect& e) {
    using Kind = replies::Effect::Kind;
    switch (e.kind) {
    case Kind::SetPanel9:
        // The error line's only text from the dispatch: the board refused to start a stream.
        startRefused = true;
        if (seq_.active)
            ++seq_.refusalsHeard;
        break;
    case Kind::SetReplySeen:
        replySeen = true;
        break;
    case Kind::ClearKeepAlivePending:
        keepAlivePending = false;
        break;
    case Kind::SetRxFrame:
        rxFrame = e.text;
        break;
    case Kind::ShowReady:
        ackReceived = true;
        break;
    default:
        break;
    }
    emit effect(e);
}

// What a reply sets off (a box the decoder ticks sends its command) belongs to the sequence that
// asked for the reply, not to the operator's input served during its wait.
void BoardLink::runDispatch(replies::Transport transport) {
    const bool wasOwner = std::exchange(owner_, true);
    const auto restore = qScopeGuard([&] { owner_ = wasOwner; });
    const auto flags = [this] {
        return replies::DispatchFlags{keepAlivePending, serial->isOpen()};
    };
    const auto apply = [this](const replies::Effect& e) { applyEffect(e); };
    if (!recorder_ && !recognisedConnected_) {
        replies::dispatch(rx, transport, flags, apply);
        return;
    }
    // What fires is told of the piece this dispatch began on, also when pieces received while its
    // effects ran came in between.
    const std::uint64_t piece = lastPiece_;
    replies::dispatch(rx, transport, flags, apply,
                      [this, piece](const replies::DispatchOutcome& o) {
                          reportRecognised(piece, corvane::linklog::recognisedOf(o));
                      });
}

void BoardLink::receiveDatagram(const std::string& datagram) {
    rx.assign(datagram);
    runDispatch(replies::Transport::Udp);
}

void BoardLink::receiveSerial() {
    if (deferWhileReceiving(&rx, [this] { receiveSerial(); }))
        return;
    const QByteArray bytes = serial->readAll();
    if (bytes.isEmpty())
        return;
    receiveSerialPiece(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void BoardLink::receiveSerialPiece(std::string_view piece) {
    record(replies::Transport::Serial, LinkTraffic::Direction::Received, piece);
    rx.append(piece);
    runDispatch(replies::Transport::Serial);
}

// The port's notification is queued and would bring the characters only at the next step of a
// wait.
void BoardLink::receiveSerialNow() {
    if (!serial->isOpen())
        return;
    if (serial->bytesAvailable() == 0 && !serial->waitForReadyRead(0)) {
        if (serial->error() == QSerialPort::TimeoutError)
            serial->clearError(); // nothing waiting: no error
        return;
    }
    if (serial->isOpen())
        receiveSerial();
}

// Datagrams already waiting answer commands whose wait has ended: none of them is the reply to
// the command about to be sent.
void BoardLink::dropStaleDatagrams() {
    for (int i = 0; i < 1024 && udp->hasPendingDatagrams(); ++i) {
        const std::optional<std::string> datagram = takeDatagram(*udp, 8192);
        if (!datagram)
            break;
        record(replies::Transport::Udp, LinkTraffic::Direction::Received, *datagram, true);
    }
}

// One datagram, or an empty text when none arrives in time. A wake-up without a datagram (an ICMP
// error from a closed port) does not end the wait. The wait is the event loop itself, run by the
// link's rule, until the socket has a datagram, the time is spent or the sequence is stopped: the
// window answers at once throughout. The socket is also looked at every 50 ms, since after an
// ICMP error it may tell of the next datagram only when read. The busy cursor shows once the
// reply is late.
std::string BoardLink::awaitDatagram(int timeoutMs) {
    constexpr qint64 kStepMs = 50;
    QDeadlineTimer deadline(timeoutMs, Qt::PreciseTimer);
    const bool outerWait = std::exchange(udpWaiting_, true);
    bool announced = false;
    const auto endWait = qScopeGuard([&] {
        if (announced)
            emit waiting(false);
        udpWaiting_ = outerWait;
        if (!outerWait)
            releaseHeld();
    });
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    const QMetaObject::Connection ready =
        connect(udp, &QUdpSocket::readyRead, &loop, &QEventLoop::quit);
    const auto disconnectReady = qScopeGuard([&] { disconnect(ready); });
    while (true) {
        while (udp->hasPendingDatagrams()) {
            std::optional<std::string> datagram = takeDatagram(*udp, 8192);
            if (datagram) {
                std::string text = std::move(*datagram);
                record(replies::Transport::Udp, LinkTraffic::Direction::Received, text);
                return text;
            }
            if (udp->pendingDatagramSize() < 0)
                break;
        }
        const qint64 left = deadline.remainingTime();
        if (left <= 0 || udp->state() == QAbstractSocket::UnconnectedState || stopped())
            return {};
        if (!announced && qint64(timeoutMs) - left >= kStepMs) {
            emit waiting(true);
            announced = true;
        }
        timer.start(int(std::min(left, kStepMs)));
        serveEvents(&loop, Sockets::Served);
    }
}

// ---- Opening and closing ------------------------------------------------------------------------

bool BoardLink::openSerial(QString* error, QSerialPort::SerialPortError* code) {
    if (serial->isOpen())
        return true;
    serialClosing_ = false;
    if (!serial->open(QIODevice::ReadWrite)) {
        if (error)
            *error = serial->errorString();
        if (code)
            *code = serial->error();
        serial->clearError();
        return false;
    }
    // No flow control holds DTR and RTS inactive (a pseudo-terminal has no such lines, so the
    // error it raises for them is dropped below).
    if (serial->flowControl() == QSerialPort::NoFlowControl) {
        serial->setDataTerminalReady(false);
        serial->setRequestToSend(false);
    }
    serial->clearError();
    return true;
}

// A device that goes away makes the serial layer repeat its error endlessly: close once, say it
// once.
void BoardLink::onSerialError(int code) {
    const auto error = static_cast<QSerialPort::SerialPortError>(code);
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError &&
        error != QSerialPort::WriteError)
        return;
    if (serialClosing_ || !serial->isOpen())
        return;
    serialClosing_ = true;
    const QString text = serial->errorString();
    serial->close();
    serial->clearError();
    // A sequence on the other link goes on without the serial port.
    if (interface_ == Interface::Serial || seq_.usedSerial)
        stopSequence(SequenceEnd::SerialLost, text);
    emit serialLost(text);
}

bool BoardLink::connectUdp(const corvane::settings::UdpEndpoint& endpoint, int receiveTimeout,
                           QString* error) {
    const auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    if (!endpoint.error.empty())
        return fail(toQ(endpoint.error));
    const QString local = toQ(endpoint.myIp);
    const QString host = toQ(endpoint.boardIp);
    udpReceiveTimeout = receiveTimeout;
    udp->abort();
    QHostAddress localAddress(QHostAddress::AnyIPv4);
    if (!local.isEmpty() && !localAddress.setAddress(local))
        return fail(QStringLiteral("'%1' is not a valid IP address for My IP").arg(local));
    if (!udp->bind(localAddress, static_cast<quint16>(endpoint.sourcePort))) {
        // Named as the UDP settings name it: the program's own address and port.
        const QString where = local.isEmpty()
                                  ? QStringLiteral("UDP port %1").arg(endpoint.sourcePort)
                                  : QStringLiteral("%1:%2").arg(local).arg(endpoint.sourcePort);
        const QAbstractSocket::SocketError code = udp->error();
        QString text = udp->errorString();
        if (code == QAbstractSocket::AddressInUseError)
            text = QStringLiteral("%1 is already in use by another program").arg(where);
        else if (code == QAbstractSocket::SocketAddressNotAvailableError)
            text = QStringLiteral("%1 is not an address of this computer").arg(local);
        else
            text = QStringLiteral("%1 cannot be used: %2").arg(where, text);
        udp->abort();
        return fail(text);
    }
    QHostAddress board;
    if (!board.setAddress(host)) {
        const QHostInfo info = QHostInfo::fromName(host);
        const auto addresses = info.addresses();
        const auto it = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& a) {
            return a.protocol() == QAbstractSocket::IPv4Protocol;
        });
        if (info.error() != QHostInfo::NoError || it == addresses.end()) {
            udp->abort();
            return fail(info.error() != QHostInfo::NoError
                            ? info.errorString()
                            : QStringLiteral("Host not found: %1").arg(host));
        }
        board = *it;
    }
    udp->connectToHost(board, static_cast<quint16>(endpoint.boardPort));
    if (!udp->waitForConnected(1000)) {
        const QString text = udp->errorString();
        udp->abort();
        return fail(text);
    }
    return true;
}

void BoardLink::closeSerial() {
    serial->close();
}

void BoardLink::closeUdp() {
    udp->abort();
}

// ---- The board probe ----------------------------------------------------------------------------

bool BoardLink::probeSerial(int looks, int lookMs) {
    if (!probeAllowed())
        return false;
    std::optional<Sequence> lone;
    if (!seq_.active)
        lone.emplace(*this, QStringLiteral("a probe"), 1, false);
    replySeen = false;
    if (!writeSerial(corvane::frames::probe()))
        return false;
    for (int i = 0; i < looks && !stopped(); ++i) {
        pause(lookMs);
        serveEvents();
        receiveSerialNow();
        if (replySeen)
            return true;
    }
    return false;
}

bool BoardLink::probeUdp(int waitMs) {
    if (!probeAllowed() || !udpConnected())
        return false;
    std::optional<Sequence> lone;
    if (!seq_.active)
        lone.emplace(*this, QStringLiteral("a probe"), 1, false);
    dropStaleDatagrams();
    writeUdp(corvane::frames::probe());
    const std::string answer = awaitDatagram(waitMs < 0 ? udpReceiveTimeout : waitMs);
    const bool answered = replies::isProbeAnswer(answer);
    if (answered)
        reportRecognised(lastPiece_, corvane::linklog::Recognised::ProbeAnswer);
    return answered;
}
