// "Save Config.": the whole configuration of the three windows sent to the board as one paced
// sequence, with a running stream stopped before it and started again after it.
#include "app/config_menus.h"
#include "app/handlers/settle_send.h"
#include "app/handlers/wiring.h"
#include "app/tform1.h"
#include "core/text.h"
#include "core/value_rules.h"
#include "platform/files.h"
#include "platform/player_nudge.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

#include <QScopeGuard>

namespace save = corvane::save;

void handlers::wireSave(TForm1& f, Ui::TForm1& ui) {
    QObject::connect(ui.BitBtn2, &QPushButton::clicked, &f, &TForm1::BitBtn2Click);
}

// The controls are read once, so what goes out is what the windows showed when the operator
// pressed the button, whatever replies arrive during the waits. A refused save (frame rate above
// the input's, a conversion error, a blank frame rate, a value too long to send, a control
// character) sends nothing, and nor does "No" to the question about values that cannot be right.
void TForm1::BitBtn2Click() {
    const corvane::controls::ConfigView view = readControls();
    const save::SavePlan plan = save::planSave(
        view, save::SaveState{StreamingOn, StreamModeLetter, RateMode11, RateMode12, Board});
    if (handlers::settleSend(QStringLiteral("Save Config."), view, plan.boxes, plan.message) !=
        handlers::Go::Send)
        return;
    // Windows that hold nothing read from the board or a file would send blanks and defaults.
    if (!configHeld_ &&
        !platform::question(QStringLiteral(
            "The windows were not read from the board or a file: Save Config. sends every "
            "setting as shown, blanks included, to the board. Send them?")))
        return;
    // A save that ends with "Configuration sent to the board" keeps what it sent in the history,
    // named by the link it used. The guard is made before the sequence, so it runs after the
    // sequence has ended and told its result, however the handler leaves.
    bool sent = false;
    const auto keepSent = qScopeGuard([this, &sent, &view, linkPart = configMenus->historyLink()] {
        if (sent)
            configMenus->recordHistory(corvane::history::Kind::Sent, view, linkPart);
    });
    BoardLink::Sequence sequence(link, QStringLiteral("Save Config."),
                                 BoardLink::countSends(plan.all()));
    if (!sequence)
        return;
    sequence.setEndText([this, &sent](const BoardLink::SequenceReport& r, const QString& usual) {
        if (r.end != BoardLink::SequenceEnd::Completed)
            return usual;
        if (r.refused > 0)
            return QStringLiteral("Configuration sent, but the board refused to start the "
                                  "stream (%1)")
                .arg(ui->Panel9->text());
        sent = r.whole();
        return r.whole() ? QStringLiteral("Configuration sent to the board")
                         : QStringLiteral("Configuration sent, but the board did not "
                                          "acknowledge %1 of %2 commands")
                               .arg(r.unanswered)
                               .arg(r.total);
    });
    // A send that fails on the serial port, or a cancel, ends the save there.
    if (plan.restarts()) {
        if (!runSteps(plan.stop))
            return;
        ui->Panel5->clear();
    }
    if (!runSteps(plan.body))
        return;
    if (plan.restarts()) {
        if (!runSteps(plan.start))
            return;
        ui->Panel5->setText(QStringLiteral("Streaming"));
        Push_Aut(QStringLiteral("start"));
    }
}

// After a restart of the stream, the player windows are nudged so that they pick it up again.
// Its pauses are the save's own: the window stays usable, a command chosen meanwhile is refused,
// and a cancel ends the nudge.
void TForm1::Push_Aut(const QString& text) {
    platform::player::Push_Aut(platform::fromQ(text), [this](int ms) {
        link.pause(ms);
        return !link.sequenceStopping(); // a cancelled save presses nothing more
    });
}
