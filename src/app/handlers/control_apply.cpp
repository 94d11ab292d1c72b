// Configuration controls as data: reading the three windows into a view and applying ordered
// actions to them.
#include "app/control_map.h"
#include "app/lamp.h"
#include "app/tform1.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

namespace controls = corvane::controls;

corvane::controls::ConfigView TForm1::readControls() const {
    return controls_->read();
}

void TForm1::applyActions(const controls::Applied& applied) {
    using Op = controls::Action::Op;
    for (const controls::Action& a : applied.actions) {
        switch (a.op) {
        case Op::SetText:
        case Op::Select:
        case Op::SetChecked:
        case Op::SetCaption:
            controls_->apply(a);
            break;
        case Op::SetEnabled:
            // A control held while a sequence runs gets its state when the sequence ends.
            if (QWidget* w = controls_->builtWidget(a.ctl); w && heldEnabled_.contains(w))
                heldEnabled_[w] = a.on;
            else
                controls_->apply(a);
            break;
        case Op::StreamMode:
            StreamModeLetter = a.text;
            break;
        case Op::StreamingOn:
            StreamingOn = true;
            break;
        case Op::SetLamp:
            paintLamp(ui->Rec1, a.lamp);
            break;
        case Op::Panel5:
            ui->Panel5->setText(platform::toQ(a.text));
            break;
        case Op::Panel8:
            ui->Panel8->setText(platform::toQ(a.text));
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
