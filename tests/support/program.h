#pragma once
// The whole program for a window test: its six windows, started in a working directory of their
// own whose settings files aim UDP at 127.0.0.1 (the program's own port left to the system) and
// name the full board, with message boxes recorded and time shrunk by `timeScale`.
//
// The keep-alive (Timer1) is stopped once the windows are up, so that no keep-alive frame or
// auto-detection reply lands in the middle of what a test watches; "Connect " starts it again as
// usual. A test about the keep-alive from start-up asks for it with `keepAlive`.
#include "app/windows.h"
#include "support/recorder.h"

#include <QMetaType>
#include <QStringList>
#include <memory>

class BoardProcess;
class QCheckBox;
class QLabel;

// The link a test drives the stand-in board on.
enum class Link { Serial, Udp };
Q_DECLARE_METATYPE(Link)
// The column "link" of a test's data, with one row a link: "udp" and "serial".
void linkRows();

struct RunningProgram {
    struct Setup {
        double timeScale = 1.0;
        bool keepAlive = false; // leave the keep-alive ticking from start-up
        // Start only when the test calls start(), in the folder as the test has left it: no
        // settings files are written for it.
        bool startLater = false;
    };

    PromptRecorder prompts;
    ScopedWorkDir dir;
    std::unique_ptr<Windows> w;
    TForm1* f = nullptr;
    QStringList panel5History; // what each search tick left in Panel5

    explicit RunningProgram(double timeScale = 1.0);
    explicit RunningProgram(const Setup& setup);
    ~RunningProgram();

    // Creates and shows the windows (at once unless `startLater`); the messages of start-up are
    // kept for the test to read.
    void start();

    QCheckBox* rs232() const;
    QCheckBox* udp() const;
    QLabel* label(const QString& name) const;
    // Points the serial port (without opening it) or the UDP target (without connecting).
    void serialAt(const QString& path);
    void udpAt(quint16 port);
    // Ticks UDP and connects to the board on 127.0.0.1 at `port`, as the operator would.
    void connectUdp(quint16 port);
    // Opens the link to the stand-in board on `link` as the operator would (tick, "Connect "),
    // with the keep-alive held back so that no tick's auto-detection answer, which selects the
    // inputs the board detects, lands in what the test watches. True when the link is open.
    bool connectToBoard(const BoardProcess& board, Link link);
    // Runs the event loop until the board search has stopped, found or given up.
    void waitForSearch(int ms = 20000);

private:
    bool keepAlive_ = false;
};
