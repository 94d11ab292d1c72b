#include "link/board_search.h"

#include "link/board_link.h"
#include "platform/pacing.h"

#include <QSerialPort>
#include <QSignalBlocker>
#include <QTimer>

BoardSearch::BoardSearch(BoardLink& link, QObject* parent)
    : QObject(parent), timer(new QTimer(this)), link_(link) {
    timer->setObjectName(QStringLiteral("Timer2"));
    timer->setInterval(platform::pacing::interval(4000));
    connect(timer, &QTimer::timeout, this, &BoardSearch::tick);
    // Cancelled between two ticks: the search ends now, not at its next tick.
    connect(&link_, &BoardLink::sequenceStopRequested, this, [this] {
        if (sequence_ && !tickRunning_)
            endCancelled();
    });
}

// A search still running when its owner goes ends without a word: nobody is left to hear it.
BoardSearch::~BoardSearch() {
    const QSignalBlocker quiet(&link_);
    sequence_.reset();
}

void BoardSearch::startSearch(std::uint8_t searchMode, std::int32_t searchLimit) {
    if (!sequence_) {
        sequence_.emplace(link_, QStringLiteral("Board search"), searchLimit + 1);
        if (!*sequence_) {
            sequence_.reset(); // another sequence runs: refused as busy
            return;
        }
        sequence_->setUnit(QStringLiteral("tries"));
        sequence_->yield();
        if (owner_.starting) {
            const BoardLink::Sequence::Turn turn(link_);
            owner_.starting();
        }
    }
    mode = searchMode;
    limit = searchLimit;
    active = true;
    if (owner_.clearDisplay) {
        const BoardLink::Sequence::Turn turn(link_);
        owner_.clearDisplay();
    }
    showProgress();
    // Starting a timer that already runs would move its schedule.
    if (!timer->isActive())
        timer->start();
}

void BoardSearch::showProgress() {
    if (sequence_)
        sequence_->stepsDone(tries, limit + 1);
}

void BoardSearch::endCancelled() {
    timer->stop();
    active = false;
    sequence_.reset();
}

// A probe whose transport cannot be opened ends the probing of this tick, but the tick still
// counts, so a search always ends.
void BoardSearch::tick() {
    if (link_.deferWhileReceiving(
            this, [this] { tick(); }, timer))
        return;
    if (tickRunning_)
        return; // a message box of the previous tick is still open
    if (!sequence_ && link_.sequenceRunning())
        return; // never a probe in the middle of another sequence
    std::optional<BoardLink::Sequence::Turn> turn;
    if (sequence_)
        turn.emplace(link_);
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
    tickRunning_ = false;
    if (link_.sequenceStopping()) {
        // Cancelled during the probe: the tries made are reported, nothing more is probed.
        showProgress();
        endCancelled();
        return;
    }
    showProgress();
    if (link_.chosenInterface() != BoardLink::Interface::None) {
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
    if (!timer->isActive())
        sequence_.reset();
}

// Open, send the probe, watch for its answer for up to a second, close again.
void BoardSearch::trySerial() {
    probeFailed_ = false;
    link_.setInterface(BoardLink::Interface::None);
    if (link_.serial->portName().isEmpty())
        return;
    if (!owner_.openSerial()) {
        probeFailed_ = true;
        return;
    }
    if (link_.probeSerial()) {
        link_.setInterface(BoardLink::Interface::Serial);
        owner_.serialAnswered();
    }
    link_.closeSerial();
}

// Connect as "Connect " does but with a 10 s receive timeout, send the probe, read one datagram,
// close again.
void BoardSearch::tryUdp() {
    probeFailed_ = false;
    if (link_.chosenInterface() == BoardLink::Interface::Udp)
        link_.setInterface(BoardLink::Interface::None);
    if (!owner_.openUdp(platform::pacing::interval(10000))) {
        probeFailed_ = true;
        return;
    }
    if (link_.probeUdp())
        link_.setInterface(BoardLink::Interface::Udp);
    link_.closeUdp();
}
