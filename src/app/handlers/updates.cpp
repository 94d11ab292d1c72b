// The "Update" buttons of the two stream panels, which send one setting of the running stream at
// once, and the "CBR"/"VBR" choice of each stream, which "Save Config." sends.
#include "app/handlers/settle_send.h"
#include "app/handlers/wiring.h"
#include "app/tform1.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "ui_tform1.h"

namespace save = corvane::save;

namespace {

// No acknowledgement is awaited. A refusal (frame rate, conversion, a blank frame rate, a value
// too long to send, a control character) shows its message and sends nothing; a value that cannot
// be right is asked about first.
void runUpdate(TForm1& f, save::Update button) {
    const corvane::controls::ConfigView view = f.readControls();
    const save::UpdatePlan plan = save::planUpdate(button, view, f.Board);
    if (handlers::settleSend(QStringLiteral("Update"), view, plan.boxes, plan.message) !=
        handlers::Go::Send)
        return;
    f.runSteps(plan.steps);
}

// The two buttons of a stream exclude each other whatever holds them; in VBR mode the stream's
// settings reach the board only through "Save Config.".
void setRateMode(TForm1& f, int stream, bool vbr) {
    f.applyActions({save::rateModeActions(stream, vbr), {}});
    (stream == 11 ? f.RateMode11 : f.RateMode12) = save::rateMode(vbr).mode;
}

} // namespace

void handlers::wireUpdates(TForm1& f, Ui::TForm1& ui) {
    QObject::connect(ui.URes1, &QPushButton::clicked, &f, &TForm1::URes1Click);
    QObject::connect(ui.URes2, &QPushButton::clicked, &f, &TForm1::URes2Click);
    QObject::connect(ui.UBit1, &QPushButton::clicked, &f, &TForm1::UBit1Click);
    QObject::connect(ui.UBit2, &QPushButton::clicked, &f, &TForm1::UBit2Click);
    QObject::connect(ui.UGop1, &QPushButton::clicked, &f, &TForm1::UGop1Click);
    QObject::connect(ui.UGop2, &QPushButton::clicked, &f, &TForm1::UGop2Click);
    QObject::connect(ui.Ufps1, &QPushButton::clicked, &f, &TForm1::Ufps1Click);
    QObject::connect(ui.Ufps2, &QPushButton::clicked, &f, &TForm1::Ufps2Click);
    // A radio button's handler runs when it becomes selected, by the operator or from code.
    auto whenSelected = [&f](QRadioButton* button, void (TForm1::*handler)()) {
        QObject::connect(button, &QRadioButton::toggled, &f, [&f, handler](bool on) {
            if (on)
                (f.*handler)();
        });
    };
    whenSelected(ui.CBR11B, &TForm1::CBR11BClick);
    whenSelected(ui.VBR11B, &TForm1::VBR11BClick);
    whenSelected(ui.CBR12B, &TForm1::CBR12BClick);
    whenSelected(ui.VBR12B, &TForm1::VBR12BClick);
}

void TForm1::URes1Click() {
    runUpdate(*this, save::Update::URes1);
}
void TForm1::URes2Click() {
    runUpdate(*this, save::Update::URes2);
}
void TForm1::UBit1Click() {
    runUpdate(*this, save::Update::UBit1);
}
void TForm1::UBit2Click() {
    runUpdate(*this, save::Update::UBit2);
}
void TForm1::UGop1Click() {
    runUpdate(*this, save::Update::UGop1);
}
void TForm1::UGop2Click() {
    runUpdate(*this, save::Update::UGop2);
}
void TForm1::Ufps1Click() {
    runUpdate(*this, save::Update::Ufps1);
}
void TForm1::Ufps2Click() {
    runUpdate(*this, save::Update::Ufps2);
}

void TForm1::CBR11BClick() {
    setRateMode(*this, 11, false);
}
void TForm1::VBR11BClick() {
    setRateMode(*this, 11, true);
}
void TForm1::CBR12BClick() {
    setRateMode(*this, 12, false);
}
void TForm1::VBR12BClick() {
    setRateMode(*this, 12, true);
}
