#pragma once
// The whole program for a window test: its six windows, started in a working directory of their
// own whose settings files aim UDP at 127.0.0.1 (the program's own port left to the system) and
// name the full board, with message boxes recorded and time shrunk by `timeScale`.
#include "app/windows.h"
#include "support/recorder.h"

#include <QStringList>
#include <memory>

class QCheckBox;
class QLabel;

struct RunningProgram {
    PromptRecorder prompts;
    ScopedWorkDir dir;
    std::unique_ptr<Windows> w;
    TForm1* f = nullptr;
    QStringList panel5History; // what each search tick left in Panel5

    explicit RunningProgram(double timeScale = 1.0);
    ~RunningProgram();

    QCheckBox* rs232() const;
    QCheckBox* udp() const;
    QLabel* label(const QString& name) const;
    // Points the serial port (without opening it) or the UDP target (without connecting).
    void serialAt(const QString& path);
    void udpAt(quint16 port);
    // Runs the event loop until the board search has stopped, found or given up.
    void waitForSearch(int ms = 20000);
};
