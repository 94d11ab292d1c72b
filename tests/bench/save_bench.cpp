// "Save Config." over UDP against the stand-in board corvane-board, in real time: the wall time of
// each save divided by the sum of the pauses its sequence prescribes. A ratio of 1.00 means the
// sends, the board's answers and the waits cost nothing beyond the pauses; the goal is at most
// 1.02. The board is started on a free port of 127.0.0.1.
//
// Beside each save the same pauses are slept alone, with nothing sent: the ratio of that reference
// is what the system's sleeps overshoot by themselves (on a loaded machine, several per cent),
// which the save's ratio includes.
//   save_bench   runs RUNS saves (default 7) and prints each ratio and the medians
// CORVANE_BOARD names the board program; by default the one built next to this benchmark.
#include "app/windows.h"
#include "core/controls.h"
#include "core/save_plan.h"
#include "platform/pacing.h"
#include "support/board_process.h"
#include "support/program.h"
#include "support/view_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("CORVANE_BOARD"))
        qputenv("CORVANE_BOARD",
                (QCoreApplication::applicationDirPath() + "/../sim/corvane-board").toLocal8Bit());
    const int runs =
        qEnvironmentVariableIntValue("RUNS") > 0 ? qEnvironmentVariableIntValue("RUNS") : 7;

    BoardProcess board;
    if (!board.ready()) {
        std::fprintf(stderr, "the stand-in board did not start: %s\n", qPrintable(board.why()));
        return 1;
    }
    RunningProgram p(1.0);
    p.f->applyActions(actionsOf(kWholeConfiguration));
    p.f->StreamModeLetter = std::string(1, 'S');
    p.udpAt(board.port());
    p.udp()->setChecked(true);
    p.f->Connect1Click();
    p.f->Timer1->stop(); // no keep-alive between the saves
    if (!p.f->udpActive()) {
        std::fprintf(stderr, "no UDP link to the stand-in board\n");
        return 1;
    }

    const corvane::save::SavePlan plan = corvane::save::planSave(
        p.f->readControls(), corvane::save::SaveState{false, "S", 1, 1, p.f->Board});
    const int pauses = corvane::steps::totalPause(plan.all());
    int frames = 0;
    for (const auto& step : plan.all())
        frames += step.kind == corvane::steps::Step::Kind::Send;

    auto elapsedMs = [](const QElapsedTimer& clock) {
        return static_cast<double>(clock.nsecsElapsed()) / 1e6;
    };
    std::vector<double> ratios, references;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        for (const auto& step : plan.all())
            if (step.kind == corvane::steps::Step::Kind::Pause)
                platform::pacing::sleep(step.ms);
        const double reference = elapsedMs(clock);
        references.push_back(reference / pauses);
        clock.restart();
        p.f->BitBtn2Click();
        const double ms = elapsedMs(clock);
        ratios.push_back(ms / pauses);
        std::printf("save %d: %8.1f ms  ratio %.4f   (pauses alone %8.1f ms, ratio %.4f)\n", i + 1,
                    ms, ms / pauses, reference, reference / pauses);
    }
    if (!p.prompts.messages.isEmpty() || p.label("Panel9")->text() == "Error Ack. from Board") {
        std::fprintf(stderr, "the saves did not run cleanly\n");
        return 1;
    }
    std::sort(ratios.begin(), ratios.end());
    std::sort(references.begin(), references.end());
    std::printf("runs: %d, %d frames and %d ms of pauses each\n", runs, frames, pauses);
    std::printf("median ratio: %.4f (goal at most 1.02); the pauses alone: %.4f\n",
                ratios[ratios.size() / 2], references[references.size() / 2]);
    return 0;
}
