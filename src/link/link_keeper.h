#pragma once
// Keeping the link: which interface the link sends on (one value), the serial settings applied
// to the port, opening a link with the operator's texts, the keep-alive, and reconnecting by
// itself. No window: the main window shows what it reports, the command-line tool opens its link
// through it.
//
// Its timers keep the link's one rule: a tick that falls due while a UDP reply is awaited is held
// and runs right after the wait; a tick that falls due while a sequence runs (a command on its
// way, a save, a board search, a probe) does nothing, so nothing of the keeper's comes between a
// command and its reply, and what it sends goes through the link's send path.
#include "core/settings.h"
#include "link/board_link.h"

#include <QObject>
#include <QString>

#include <functional>

class QTimer;

class LinkKeeper : public QObject {
    Q_OBJECT
public:
    using Interface = BoardLink::Interface;

    explicit LinkKeeper(BoardLink& link, QObject* parent = nullptr);
    ~LinkKeeper() override;

    // ---- The interface the link sends on; BoardLink::interfaceChanged tells every change.
    void setInterface(Interface chosen);
    Interface chosenInterface() const;
    // The chosen interface's link is open.
    bool linkOpen() const;

    // ---- The serial settings, applied to the port at once, also while it is open. A new port
    //      name moves an open connection to the new device: false when that device does not
    //      open (the port is then closed, `errorText` says why as the operator is told).
    bool setSerialSettings(const corvane::settings::SerialSettings& settings,
                           QString* errorText = nullptr);
    const corvane::settings::SerialSettings& serialSettings() const { return serial_; }
    // Where UDP connects to, read at each connection (the window: its UDP dialog).
    void setUdpEndpoint(std::function<corvane::settings::UdpEndpoint()> endpoint);
    // The endpoint UDP connects to now (none set: an empty one).
    corvane::settings::UdpEndpoint udpEndpoint() const;

    // ---- Opening. False with the operator's text ("Unable to open com port (Error: 2)…", the
    //      socket's or the address's error) in `errorText`.
    // The serial port as it is set up; an open port stays open.
    bool openSerial(QString* errorText);
    // Connects UDP to the endpoint set; a UDP command then waits `replyMs` for its reply
    // (negative: BoardLink::kUdpReplyMs, by the pacing seam).
    bool openUdp(QString* errorText, int replyMs = -1);
    // Opens a link of its own and chooses its interface: a tool's whole set-up in one call.
    bool openSerial(const corvane::settings::SerialSettings& settings, QString* errorText);
    bool openUdp(const corvane::settings::UdpEndpoint& endpoint, QString* errorText);

    // "Connect ": the operator's choice on the chosen interface.
    enum class Toggle {
        Nothing, // no interface chosen
        Opened,  // the link was closed and is open now; the keep-alive runs
        Kept,    // the link was being reconnected and is open: kept, the keep-alive runs
        Close,   // the link is open and the operator closes it (the caller drops it)
        Failed,  // it did not open; `errorText` says why
    };
    // Reconnecting ends here: the operator takes over, and a link open for it is kept.
    Toggle toggle(QString* errorText);

    // ---- The keep-alive: every 5 s while it runs and a link is open. A keep-alive still
    //      unanswered from the tick before means the board is gone (keepAliveMissed).
    QTimer* const keepAliveTimer;
    void keepAliveTick();
    void startKeepAlive(); // a running keep-alive keeps its schedule
    void stopKeepAlive();

    // ---- Reconnecting by itself, when it is on: a serial port that went away is opened again
    //      every second and counts as reconnected once the board answers a probe; after a
    //      reboot or exit of the board the links closed for it are opened again and the board
    //      probed every 2 s, for at most 2 minutes, until it answers.
    void setReconnect(bool on);
    bool reconnectOn() const { return reconnectOn_; }
    bool reconnecting() const { return state_ != State::Idle; }
    // The board was told to restart; the links named are about to close.
    void afterRestart(bool serial, bool udp);
    // Ends the tries; the link stays as it is.
    void stopReconnect();
    QTimer* const reconnectTimer;
    // What the status line says about reconnecting ("Reconnecting to /dev/ttyUSB0…", for a
    // while "Reconnected to …" or why it gave up); empty when there is nothing to say.
    QString status() const { return status_; }

signals:
    // A keep-alive went unanswered for a whole tick.
    void keepAliveMissed();
    // The text of status() changed.
    void statusChanged(const QString& text);
    // Reconnecting began after a loss or a restart, reached the board, or gave up.
    void reconnectStarted(const QString& target);
    void reconnected(const QString& target);
    void reconnectGaveUp(const QString& target);

private:
    enum class State { Idle, SerialLost, Restart };
    void onSerialLost(const QString& reason);
    void reconnectTick();
    void restartTick();
    void finishReconnect(const QString& note);
    void setStatus(const QString& text);
    QString serialTarget() const;
    // The endpoint with the board's address as last resolved, so that no tick looks a name up.
    corvane::settings::UdpEndpoint restartEndpoint(QString* errorText);

    BoardLink& link_;
    corvane::settings::SerialSettings serial_;
    std::function<corvane::settings::UdpEndpoint()> endpoint_;
    QString resolvedName_;    // the board's address as the operator gave it, last connected
    QString resolvedAddress_; // and the address it stood for
    bool reconnectOn_ = false;
    State state_ = State::Idle;
    bool restartSerial_ = false;
    bool restartUdp_ = false;
    int restartTicks_ = 0;
    corvane::settings::UdpEndpoint restartTarget_;
    QString target_;
    QString status_;
    QTimer* const noteTimer_;
};
