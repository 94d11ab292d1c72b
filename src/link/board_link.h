#pragma once
// The link to the board, apart from any window: the serial port and the UDP socket, the receive
// buffer, the acknowledgement wait and the one rule of what runs while the link waits. Every
// command leaves through send(); what comes back is scanned by the core's dispatch, and what it
// recognised is reported through effect(), in order. The window (or a command-line tool) decides
// what an effect means to the operator.
#include "core/link_log.h"
#include "core/replies.h"
#include "core/settings.h"
#include "core/steps.h"

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <ctime>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QEventLoop;
class QTimer;
class QUdpSocket;

// One frame sent, one piece received, or one acknowledgement wait that ended unanswered, with its
// wall-clock time. The text is the link's own and lasts only as long as the report: a listener
// that keeps it copies it.
struct LinkTraffic {
    using Direction = corvane::linklog::Direction;
    qint64 msecsSinceEpoch = 0;
    corvane::replies::Transport link = corvane::replies::Transport::Serial;
    Direction direction = Direction::Sent;
    std::string_view text;
    // The link's number for the entry, counted from 1; what the dispatch recognised in a received
    // piece is reported under it (BoardLink::recognised).
    std::uint64_t id = 0;
    // A datagram that came after its wait and was dropped unread before a send.
    bool stale = false;
};

// A listener that keeps every entry (the link monitor). The link writes each entry straight into
// the recorder's ring, which costs far less per received piece than a call or a signal, tells
// `rowsCame` once that rows came until the recorder calls rowsTaken(), and tells `rowMarked` the
// number of each row marked with what the dispatch recognised in it.
class LinkRecorder {
public:
    explicit LinkRecorder(std::size_t capacity) : ring_(capacity) {}
    LinkRecorder(const LinkRecorder&) = delete;
    LinkRecorder& operator=(const LinkRecorder&) = delete;

    std::function<void()> rowsCame;
    std::function<void(std::uint64_t seq)> rowMarked;
    void rowsTaken() { told_ = false; }

protected:
    corvane::linklog::Ring ring_;

private:
    friend class BoardLink;
    bool told_ = false;
};

class BoardLink : public QObject {
    Q_OBJECT
public:
    explicit BoardLink(QObject* parent = nullptr);
    ~BoardLink() override;

    // The transports and the acknowledgement timer; the window knows them as ComPort1, Uc and
    // Timer3. Created with the link, owned by it.
    QSerialPort* const serial;
    QUdpSocket* const udp;
    QTimer* const ackTimer;

    // How long a UDP command waits for its reply, unless told otherwise when it connects.
    static constexpr int kUdpReplyMs = 1000;
    // The board probe on a serial line looks this many times, this far apart, for its answer.
    static constexpr int kSerialProbeLooks = 10;
    static constexpr int kSerialProbeLookMs = 100;
    // An acknowledgement wait ends after this many (nominal) milliseconds without one.
    static constexpr int kAckWaitMs = 6000;
    // A shown sequence ends after this many acknowledgement waits in a row went unanswered.
    static constexpr int kUnansweredInRow = 3;

    // What the replies have told so far (the window's RxBuffer, RxFrame, ReplySeen, AckReceived,
    // AckWaiting, KeepAlivePending) and how long a UDP command waits for its reply.
    corvane::replies::ReceiveBuffer rx;
    std::string rxFrame;
    bool replySeen = false;
    bool ackReceived = false;
    bool ackWaiting = false;
    bool keepAlivePending = false;
    // The board refused to start a stream ("Error Start Stream 11") since the last send.
    bool startRefused = false;
    int udpReceiveTimeout = kUdpReplyMs;

    // Where send() writes: one interface, or none. The link keeper chooses it (the window's
    // interface boxes show it); interfaceChanged() tells every change.
    enum class Interface { None, Serial, Udp };
    void setInterface(Interface chosen);
    Interface chosenInterface() const { return interface_; }
    bool serialOpen() const;
    bool udpConnected() const;
    corvane::replies::Transport activeTransport() const;

    // Sends a frame on the ticked interface. Over UDP the reply is received and dispatched before
    // this returns; over RS232 it arrives later. True only when the frame left. A frame that
    // leaves nowhere is not counted and returns false, and the caller ends there: with no
    // interface ticked or its link not open it is refused (sendRefused) and the running sequence
    // ends; when the serial layer fails during the write the port is closed (serialLost); both
    // clear the acknowledgement flag, so that no later wait passes on an earlier acknowledgement.
    // While another sequence runs it is refused as busy and that sequence's flag stays.
    bool send(const std::string& frame);
    // Runs a paced sequence: sends, pauses, acknowledgement waits, in order. False when a send
    // did not leave, which ends the sequence (a send refused for want of a link ends it as
    // NoLink), or when the sequence was stopped.
    //
    // When a sequence gives up: the window's shown sequences end after kUnansweredInRow
    // acknowledgement waits in a row went unanswered, and go on after a single one and after a
    // stream start the board refused (what the board did not confirm is then not shown: see
    // plan::Confirmed). corvane-ctl runs its own steps on this link by a stricter rule, since
    // nobody watches them: the first command must be answered within kUdpReplyMs, a refused
    // start ends the run, and kUnansweredInRow in a row end it too (cli::Session::runSteps).
    bool runSteps(const corvane::steps::Steps& steps);
    // Waits for the acknowledgement of the command just sent until it arrives, the board refuses
    // to start a stream (which answers the start) or the acknowledgement timer runs out
    // (ackTimedOut). True when the acknowledgement arrived.
    bool waitForAck();
    // The command sent last left and the board acknowledged it without refusing it.
    bool confirmed() const { return ackReceived && !startRefused; }
    // The acknowledgement timer ran out: the wait in progress ends.
    void ackTimeout();
    // Pauses a sequence for a nominal number of milliseconds (the pacing seam).
    void pause(int ms);
    // Runs the event loop by the link's rule until `done` holds, `ms` real milliseconds have
    // passed or the running sequence is stopped, handling serial characters as they come. True
    // when `done` holds.
    bool waitUntil(const std::function<bool()>& done, int ms);

    // Opens the serial port as it is set up; false with the serial layer's error and its text.
    bool openSerial(QString* error, QSerialPort::SerialPortError* code = nullptr);
    // Binds the UDP socket to the endpoint's local address and port and connects it to the board;
    // false with the operator's text in `error`. `receiveTimeout` is how long a command then waits
    // for its reply.
    bool connectUdp(const corvane::settings::UdpEndpoint& endpoint, int receiveTimeout,
                    QString* error);
    void closeSerial();
    void closeUdp();

    // The board probes go out as commands do: never while another sequence runs or a UDP reply
    // is awaited (then false, nothing sent), and each is a sequence of its own while it waits.
    // The board probe on the open serial port: the probe, then up to `looks` looks, `lookMs`
    // apart, for its answer. True when the board answered.
    bool probeSerial(int looks = kSerialProbeLooks, int lookMs = kSerialProbeLookMs);
    // The board probe on the connected UDP socket: true when the one datagram that comes back
    // within `waitMs` (negative: the receive timeout) holds the probe answer.
    bool probeUdp(int waitMs = -1);
    // A UDP reply is awaited right now.
    bool awaitingDatagram() const { return udpWaiting_; }

    // Serial reception: what the port holds is appended to the receive buffer and dispatched.
    void receiveSerial();
    // Handles the characters the port holds right now, without waiting for its notification.
    void receiveSerialNow();
    // A datagram replaces the receive buffer and is dispatched.
    void receiveDatagram(const std::string& datagram);
    // A piece read from the serial port: recorded, appended to the receive buffer and dispatched.
    void receiveSerialPiece(std::string_view piece);

    // True while a UDP reply is awaited: the caller's handler is then held and runs once right
    // after the wait (only if `whileRunning`, when given, still runs then). `key` names the
    // handler.
    bool deferWhileReceiving(const void* key, std::function<void()> handler,
                             const QTimer* whileRunning = nullptr);

    // ---- Sequences: one at a time on the wire. A sequence is a handler's run of commands
    //      (runSteps, send); while one runs, a command from anywhere else (the operator's input
    //      served during its waits and pauses) is refused with busy() and sends nothing.
    enum class SequenceEnd { Completed, Cancelled, NoAnswer, SerialLost, NoLink };
    struct SequenceReport;
    // What the operator reads when a shown sequence ended, in the words of the handler that
    // started it: given the report and what the window says of such an end anyway (nothing for a
    // sequence that completed wholly), the text to show.
    using EndText = std::function<QString(const SequenceReport& report, const QString& usual)>;
    struct SequenceReport {
        QString name;
        int sent = 0; // frames that left
        int total = 0;
        SequenceEnd end = SequenceEnd::Completed;
        QString reason; // SerialLost: the serial layer's text
        bool shown = false;
        int unanswered = 0;                        // acknowledgement waits that ended unanswered
        int refused = 0;                           // stream starts the board refused
        QString unit = QStringLiteral("commands"); // what `sent` and `total` count
        EndText endText;                           // none: the window's own words
        // Every command left and every acknowledgement awaited came.
        bool whole() const {
            return end == SequenceEnd::Completed && unanswered == 0 && refused == 0;
        }
    };
    // Starts a sequence and makes the caller its owner until the Sequence object goes; a shown
    // sequence reports its progress, ends after three unanswered acknowledgement waits in a row
    // and can be cancelled. False (busy reported) when another sequence runs.
    class Sequence {
    public:
        Sequence(BoardLink& link, const QString& name, int total, bool shown = true);
        ~Sequence();
        Sequence(const Sequence&) = delete;
        Sequence& operator=(const Sequence&) = delete;
        explicit operator bool() const { return started_; }

        // Progress of a sequence whose steps are not commands (the tries of a board search),
        // and what they are.
        void stepsDone(int done, int total);
        void setUnit(const QString& unit);
        // The handler's words for how the sequence ended (see EndText).
        void setEndText(EndText text);
        // A sequence that lasts across turns of the event loop (the board search between the
        // ticks of its timer) hands the link back after each turn: input served between turns is
        // foreign to it, as during a wait. Its own code runs as the owner while a Turn lives.
        void yield();
        class Turn {
        public:
            explicit Turn(BoardLink& link)
                : link_(link), wasOwner_(std::exchange(link.owner_, true)) {}
            ~Turn() { link_.owner_ = wasOwner_; }
            Turn(const Turn&) = delete;
            Turn& operator=(const Turn&) = delete;

        private:
            BoardLink& link_;
            bool wasOwner_;
        };

    private:
        BoardLink& link_;
        bool started_;
        bool wasOwner_;
    };
    bool sequenceRunning() const { return seq_.active; }
    bool sequenceShown() const { return seq_.active && seq_.report.shown; }
    const SequenceReport& sequence() const { return seq_.report; }
    // Ends the running sequence after the step in progress; a pause or wait in progress ends now.
    void cancelSequence() { stopSequence(SequenceEnd::Cancelled); }
    // The running sequence was asked to end and has not unwound yet.
    bool sequenceStopping() const { return stopped(); }
    // The number of sends in the steps.
    static int countSends(const corvane::steps::Steps& steps);

    // The recorder that sees every entry as it happens (none: nothing recorded); it must outlive
    // the link or be taken away first.
    void setRecorder(LinkRecorder* recorder) { recorder_ = recorder; }

signals:
    // What the dispatch recognised, after the link has taken its own part (the reply flags).
    void effect(const corvane::replies::Effect& effect);
    // A frame left on a ticked interface: the READY indicator goes out.
    void frameSent();
    // A frame left nowhere: no interface is ticked or its link is not open. Told once per
    // sequence, which ends there.
    void sendRefused();
    // An acknowledgement wait ended without the acknowledgement.
    void ackTimedOut();
    // A command was refused because the sequence `running` runs.
    void busy(const QString& running);
    // A shown sequence began or sent one more command.
    void sequenceProgress(const QString& name, int sent, int total);
    // The running sequence was asked to end (cancelled, the board or the port failed); a sequence
    // that lasts across turns of the event loop ends itself on this when none of its turns runs.
    void sequenceStopRequested();
    // A sequence ended, how and after how many commands.
    void sequenceEnded(const BoardLink::SequenceReport& report);
    // The serial device went away or failed; the port is closed. Reported once per loss.
    void serialLost(const QString& reason);
    // A UDP reply wait began (true) or ended (false).
    void waiting(bool on);
    // The interface send() writes on changed.
    void interfaceChanged(BoardLink::Interface chosen);
    // Every frame sent, piece received and acknowledgement wait ended unanswered.
    void traffic(const LinkTraffic& entry);
    // What the dispatch (or the UDP probe) recognised in the received piece reported as `id`;
    // one report for each reply a piece completes.
    void recognised(quint64 id, corvane::linklog::Recognised what);

private:
    void applyEffect(const corvane::replies::Effect& effect);
    void runDispatch(corvane::replies::Transport transport);
    // The one rule of what runs while the link waits (see board_link.cpp): serves the events due
    // now, or with `loop` until it quits (a stop of the running sequence quits it too). The UDP
    // reply wait serves the socket's notifiers itself (`sockets`).
    enum class Sockets { ByRule, Served };
    void serveEvents(QEventLoop* loop = nullptr, Sockets sockets = Sockets::ByRule);
    std::string awaitDatagram(int timeoutMs);
    void dropStaleDatagrams();
    bool writeSerial(const std::string& frame);
    void writeUdp(const std::string& frame);
    bool refuse(); // a frame that leaves nowhere
    // What the board said of the command before does not answer the one now on its way.
    void forgetAnswer() {
        ackReceived = false;
        startRefused = false;
    }
    void onSerialError(int error);
    void record(corvane::replies::Transport link, LinkTraffic::Direction direction,
                std::string_view text, bool stale = false);
    void releaseHeld();

    struct Held {
        const void* key;
        std::function<void()> handler;
        const QTimer* whileRunning; // the handler runs only if this timer still runs (none: always)
    };
    std::vector<Held> held_;
    // Runs the event loop by the wait rule for up to `ms` real milliseconds, or until the running
    // sequence is stopped.
    void idle(int ms);
    void stopSequence(SequenceEnd end, const QString& reason = {});
    bool stopped() const { return seq_.active && seq_.stopping; }
    bool foreign() const { return seq_.active && !owner_; }
    struct SequenceState {
        bool active = false;
        bool stopping = false;
        int timeoutsInRow = 0;
        bool sentSinceWait = false; // a command went out since the last acknowledgement wait
        bool usedSerial = false;    // a command went out on the serial line
        // Refusals to start a stream that came during the sequence, also those that no
        // acknowledgement wait took (a start that ends a sequence awaits no acknowledgement).
        int refusalsHeard = 0;
        SequenceReport report;
    };
    SequenceState seq_;
    bool owner_ = false; // the running sequence's own code is running (not input served in a wait)
    QEventLoop* idleLoop_ = nullptr;
    bool udpWaiting_ = false;
    bool serialClosing_ = false;
    Interface interface_ = Interface::None;
    // A probe may go out now; false when it would come between another command and its reply.
    bool probeAllowed() const { return !foreign() && !udpWaiting_; }
    void reportRecognised(std::uint64_t piece, corvane::linklog::Recognised what);
    void connectNotify(const QMetaMethod& signal) override;
    void disconnectNotify(const QMetaMethod& signal) override;
    LinkRecorder* recorder_ = nullptr;
    bool trafficConnected_ = false;    // somebody listens to traffic()
    bool recognisedConnected_ = false; // somebody listens to recognised()
    bool listenersChanged_ = false;    // a listener left: the two flags above are asked again
    void recheckListeners();
    std::uint64_t trafficCount_ = 0;
    std::uint64_t lastPiece_ = 0; // the id of the piece received last
    // The wall clock in milliseconds for a row of the record: read exactly once per tick of the
    // system's coarse clock (see board_link.cpp).
    qint64 stampMsecs() {
        timespec coarse;
        ::clock_gettime(CLOCK_REALTIME_COARSE, &coarse);
        if (coarse.tv_nsec != stampTick_.tv_nsec || coarse.tv_sec != stampTick_.tv_sec)
            restamp(coarse);
        return stampMsecs_;
    }
    void restamp(const timespec& coarse);
    timespec stampTick_{-1, 0}; // the coarse clock when the exact clock was read last
    qint64 stampMsecs_ = 0;
};
