// Configuration controls as data: reading the three windows into a view and applying ordered
// actions to them.
#include "app/control_map.h"
#include "app/tform1.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

namespace controls = corvane::controls;

corvane::controls::ConfigView TForm1::readControls() const {
    return controls_->read();
}

namespace {

// The lamp's colour for each state, and what a screen reader hears as its description.
struct LampLook {
    controls::Lamp lamp;
    QColor colour;
    const char* state;
};
const LampLook kLampLooks[] = {
    {controls::Lamp::Grey, QColor(128, 128, 128), "not streaming"},
    {controls::Lamp::Green, QColor(0, 255, 0), "streaming"},
    {controls::Lamp::Red, QColor(255, 0, 0), "recording"},
};

const LampLook& lookOf(controls::Lamp lamp) {
    for (const LampLook& look : kLampLooks)
        if (look.lamp == lamp)
            return look;
    return kLampLooks[0];
}

} // namespace

void TForm1::setLamp(controls::Lamp lamp) {
    const LampLook& look = lookOf(lamp);
    ui->Rec1->setFillColor(look.colour);
    // Tells a screen reader when it changes.
    ui->Rec1->setAccessibleDescription(QLatin1String(look.state));
}

// Any colour but green or red counts as grey.
controls::Lamp TForm1::lamp() const {
    const QColor colour = ui->Rec1->fillColor();
    for (const LampLook& look : kLampLooks)
        if (look.colour == colour)
            return look.lamp;
    return controls::Lamp::Grey;
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
            if (QWidget* w = controls_->widget(a.ctl); w && heldEnabled_.contains(w))
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
            setLamp(a.lamp);
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
