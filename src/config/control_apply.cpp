// Configuration controls as data: reading the three windows into a view, applying ordered
// actions to them, and running paced command sequences.
#include "app/tform1.h"
#include "config/control_map.h"
#include "platform/files.h"
#include "platform/pacing.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

namespace cc = corvane::controls;

corvane::controls::ConfigView TForm1::readControls() const {
    return Controls->read();
}

void TForm1::setLamp(cc::Lamp lamp) {
    static const QColor kColours[] = {QColor(128, 128, 128), QColor(0, 255, 0), QColor(255, 0, 0)};
    ui->Rec1->setFillColor(kColours[static_cast<int>(lamp)]);
}

void TForm1::applyActions(const cc::Applied& applied) {
    using Op = cc::Action::Op;
    for (const cc::Action& a : applied.actions) {
        switch (a.op) {
        case Op::SetText:
        case Op::Select:
        case Op::SetChecked:
        case Op::SetCaption:
            Controls->apply(a);
            break;
        case Op::StreamMode:
            StreamModeLetter = a.text;
            break;
        case Op::StreamingOn:
            StreamingOn = true;
            break;
        case Op::SetLamp:
            setLamp(a.lamp);
            break;
        case Op::Panel5:
            ui->Panel5->setText(platform::toQ(a.text));
            break;
        case Op::Panel9:
            ui->Panel9->setText(platform::toQ(a.text));
            break;
        case Op::Modules:
            Board.modules(a.channel) = a.modules;
            break;
        case Op::KeepAliveOn:
            if (!Timer1->isActive())
                Timer1->start();
            break;
        case Op::HideReady:
            ui->RDS->hide();
            break;
        case Op::ClearReceive:
            RxBuffer.clear();
            break;
        }
    }
    if (!applied.ok())
        platform::message(platform::toQ(applied.error));
}

// Every paced sequence runs here. Pauses block the window, as the board's pacing needs; each
// wait lets replies and timers through but holds the operator's input back until the sequence
// has ended (WaitforAck), so a second sequence starts only after the first and never interleaves
// with it on the wire. A send that fails on the serial port ends the sequence (false). A sequence
// started by a handler that the first one runs (a check box the
// decoder ticks) runs inside it, in order.
bool TForm1::runSteps(const corvane::steps::Steps& steps) {
    using Kind = corvane::steps::Step::Kind;
    for (const auto& step : steps) {
        switch (step.kind) {
        case Kind::Send:
            // A failed serial port has been closed and named to the operator: the sequence ends.
            if (!CWriteStr(step.frame))
                return false;
            break;
        case Kind::Pause:
            platform::pacing::sleep(step.ms);
            break;
        case Kind::Wait:
            WaitforAck();
            break;
        }
    }
    return true;
}
