// "Compare with Board" beside "Read Config." over UDP against the stand-in board, which answers
// at once: the time from the menu item (the button) until its handler has returned, for the
// comparison with its window shown and painted, listing two differing settings; runs alternate
// between the two, median of 31 runs each (after 3 warm-up runs). Fails when the comparison costs
// more than the read plus 50 ms. The board program is taken from CORVANE_BOARD, or
// build/sim/corvane-board.
//
//   QT_QPA_PLATFORM=offscreen build/tests/compare_bench
#include "app/config_menus.h"
#include "dialogs/compare_window.h"
#include "dialogs/differences_table.h"
#include "support/board_process.h"
#include "support/program.h"
#include "support/view_text.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Figures {
    std::vector<double> ms;
    double median() const { return ms[ms.size() / 2]; }
    void print(const char* what) {
        std::sort(ms.begin(), ms.end());
        std::printf("%s, UDP, %zu runs: min %.2f ms, median %.2f ms, max %.2f ms\n", what,
                    ms.size(), ms.front(), median(), ms.back());
    }
};

} // namespace

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
    // No keep-alive tick in between.
    p.f->Timer1->setInterval(3600 * 1000);
    auto* read = child<QPushButton>(p.f, "BitBtn1");
    auto* compare = p.f->findChild<QAction*>("CompareWithBoard1");

    Figures reads, compares;
    QElapsedTimer clock;
    for (int run = 0; run < 34; ++run) {
        clock.start();
        read->click();
        const qint64 readNs = clock.nsecsElapsed();
        p.f->applyActions(actionsOf(QStringLiteral("Bit1='6543' RTP12_IP='10.9.8.7'")));
        clock.start();
        compare->trigger();
        CompareWindow* window = p.f->configMenus->compareWindow();
        if (window)
            window->repaint(); // counted against the comparison: its window painted once
        const qint64 compareNs = clock.nsecsElapsed();
        if (!window || !window->isVisible() || window->table()->rowCount() != 2) {
            std::fprintf(stderr, "run %d: no comparison of two settings was shown\n", run);
            return 1;
        }
        window->hide();
        if (run >= 3) {
            reads.ms.push_back(double(readNs) / 1e6);
            compares.ms.push_back(double(compareNs) / 1e6);
        }
    }
    reads.print("Read Config.");
    compares.print("Compare with Board");
    const double extra = compares.median() - reads.median();
    std::printf("Compare with Board costs %.2f ms more than Read Config. (median; at most 50)\n",
                extra);
    return extra <= 50.0 ? 0 : 1;
}
