#pragma once
// The board search of the "Test" menu: every tick of its timer probes the board on RS232, UDP or
// both through the link, until the board answers or the tries run out. The search is a sequence
// of the link ("Board search") from its start to its end: it shows how many tries it has made,
// can be cancelled, and no other command reaches the board while it runs.
#include "link/board_link.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QTimer;

class BoardSearch : public QObject {
    Q_OBJECT
public:
    // Where the search probes.
    enum Mode : std::uint8_t { Rs232 = 0, Udp = 1, Both = 2 };

    // What the search needs of its owner, set once at wiring.
    struct Owner {
        // When a search starts (not when it is refused as busy, nor when a running search
        // goes on with another mode), before the display is cleared.
        std::function<void()> starting;
        std::function<void()> clearDisplay;         // before a search starts
        std::function<bool()> openSerial;           // opens the port, telling the operator why not
        std::function<bool(int timeoutMs)> openUdp; // connects UDP, telling the operator why not
        std::function<void()> serialAnswered;       // the board answered on RS232
        std::function<void(const QString&)> showStatus; // the search's status text
    };

    BoardSearch(BoardLink& link, QObject* parent = nullptr);
    ~BoardSearch() override;

    void setOwner(Owner owner) { owner_ = std::move(owner); }

    // The window knows the timer as Timer2; the others are the search's tries, limit, mode and
    // whether it runs.
    QTimer* const timer;
    std::int32_t tries = 0;
    std::int32_t limit = 0;
    std::uint8_t mode = Rs232;
    bool active = false;

    // Starts a search (the owner's `starting`, then clearing the display); a running search goes
    // on with the new mode. Refused (busy reported, nothing changed) while another sequence runs.
    void startSearch(std::uint8_t searchMode, std::int32_t searchLimit);
    // One search tick: probe, then report.
    void tick();
    // One probe each; they leave the link's interface choice on the link that answered (none
    // when it did not).
    void trySerial();
    void tryUdp();

private:
    // A cancelled search stops at once: its timer, its sequence.
    void endCancelled();
    void showProgress();

    BoardLink& link_;
    Owner owner_;
    std::optional<BoardLink::Sequence> sequence_;
    bool tickRunning_ = false;
    bool probeFailed_ = false;
};
