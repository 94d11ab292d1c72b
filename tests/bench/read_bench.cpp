// "Read Config." over UDP against the stand-in board, which answers at once: the time from the
// button to the last write of the decoded configuration, median of 31 runs (after 3 warm-up
// runs). The board program is taken from CORVANE_BOARD, or build/sim/corvane-board.
//
//   QT_QPA_PLATFORM=offscreen build/tests/read_bench
#include "app/control_map.h"
#include "core/controls.h"
#include "support/board_process.h"
#include "support/program.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("CORVANE_BOARD"))
        qputenv("CORVANE_BOARD", "build/sim/corvane-board");
    QApplication app(argc, argv);
    BoardProcess board;
    if (!board.ready()) {
        std::fprintf(stderr, "the stand-in board did not start: %s\n", qPrintable(board.why()));
        return 1;
    }
    RunningProgram p;
    p.connectUdp(board.port());
    auto* read = child<QPushButton>(p.f, "BitBtn1");
    auto* last = p.f->controlMap().widget(corvane::controls::Ctl::Recfps2);

    // The last write of a decode is the recording frame rate of stream 12; the clock stops there.
    QElapsedTimer clock;
    qint64 stoppedAt = -1;
    QObject::connect(static_cast<QLineEdit*>(last), &QLineEdit::textChanged,
                     [&] { stoppedAt = clock.nsecsElapsed(); });
    std::vector<double> ms;
    for (int run = 0; run < 34; ++run) {
        static_cast<QLineEdit*>(last)->clear();
        stoppedAt = -1;
        clock.start();
        read->click();
        if (stoppedAt < 0) {
            std::fprintf(stderr, "run %d: the configuration was not decoded\n", run);
            return 1;
        }
        if (run >= 3)
            ms.push_back(double(stoppedAt) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("Read Config. to the last write, UDP, %zu runs: min %.2f ms, median %.2f ms, "
                "max %.2f ms\n",
                ms.size(), ms.front(), ms[ms.size() / 2], ms.back());
    return 0;
}
