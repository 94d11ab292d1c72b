#include "link/board_search.h"

#include "link/board_link.h"
#include "platform/pacing.h"

#include <QSerialPort>
#include <QTimer>

BoardSearch::BoardSearch(BoardLink& link, QObject* parent)
    : QObject(parent), timer(new QTimer(this)), link_(link) {
    timer->setObjectName(QStringLiteral("Timer2"));
    timer->setInterval(platform::pacing::interval(4000));
    connect(timer, &QTimer::timeout, this, &BoardSearch::tick);
}

void BoardSearch::startSearch(std::uint8_t searchMode, std::int32_t searchLimit) {
    mode = searchMode;
    limit = searchLimit;
    active = true;
    if (owner_.clearDisplay)
        owner_.clearDisplay();
    // Starting a timer that already runs would move its schedule.
    if (!timer->isActive())
        timer->start();
}

// A probe whose transport cannot be opened ends the probing of this tick, but the tick still
// counts, so a search always ends.
void BoardSearch::tick() {
    if (link_.deferWhileReceiving(
            this, [this] { tick(); }, timer))
        return;
    if (tickRunning_)
        return; // a message box of the previous tick is still open
    tickRunning_ = true;
    ++tries;
    if (mode == Both) {
        trySerial();
        if (!probeFailed_)
            tryUdp();
    } else if (mode == Rs232) {
        trySerial();
    } else if (mode == Udp) {
        tryUdp();
    }
    if (owner_.interfaceTicked()) {
        timer->stop();
        active = false;
        owner_.showStatus(QStringLiteral("Board Found"));
    } else {
        owner_.showStatus(QStringLiteral("Please Wait Try  ") + QString::number(tries));
    }
    if (tries > limit) {
        timer->stop();
        owner_.showStatus(QStringLiteral("Error no Board Found "));
        tries = 0;
    }
    tickRunning_ = false;
}

// Open, send the probe, watch for its answer for up to a second, close again.
void BoardSearch::trySerial() {
    probeFailed_ = false;
    owner_.setInterface(Rs232, false);
    owner_.setInterface(Udp, false);
    if (link_.serial->portName().isEmpty())
        return;
    if (!owner_.openSerial()) {
        probeFailed_ = true;
        return;
    }
    if (link_.probeSerial(10, 100)) {
        owner_.setInterface(Rs232, true);
        owner_.setInterface(Udp, false);
        owner_.serialAnswered();
    }
    link_.closeSerial();
}

// Connect as "Connect " does but with a 10 s receive timeout, send the probe, read one datagram,
// close again.
void BoardSearch::tryUdp() {
    probeFailed_ = false;
    owner_.setInterface(Udp, false);
    if (!owner_.openUdp(platform::pacing::interval(10000))) {
        probeFailed_ = true;
        return;
    }
    if (link_.probeUdp()) {
        owner_.setInterface(Udp, true);
        owner_.setInterface(Rs232, false);
    }
    link_.closeUdp();
}
