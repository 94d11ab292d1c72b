// Choosing sensor inputs and resolutions. Picking an input pre-fills the stream's frame rate in
// the main window and the recording dialog, records the module kind (full board) and raises both
// resolution lists to the input's floor; picking a resolution raises it again. Nothing is sent.
#include "core/inputs.h"
#include "app/handlers/wiring.h"
#include "app/tform1.h"
#include "platform/files.h"
#include "ui_tform1.h"

namespace inputs = corvane::inputs;
namespace variant = corvane::variant;

void handlers::wireInputs(TForm1& f, Ui::TForm1& ui) {
    // A list's handler runs when the operator picks an item, never when code selects one.
    QObject::connect(ui.S1I, &QComboBox::activated, &f, &TForm1::S1IChange);
    QObject::connect(ui.S2I, &QComboBox::activated, &f, &TForm1::S2IChange);
    QObject::connect(ui.Res1, &QComboBox::activated, &f, &TForm1::Res1Change);
    QObject::connect(ui.Res2, &QComboBox::activated, &f, &TForm1::Res2Change);
}

void TForm1::S1IChange() {
    applyActions(inputs::inputActions(Board, variant::Channel::Ch11, readControls()));
}

void TForm1::S2IChange() {
    applyActions(inputs::inputActions(Board, variant::Channel::Ch12, readControls()));
}

void TForm1::Res1Change() {
    applyActions(inputs::resolutionActions(Board, variant::Channel::Ch11, readControls()));
}

void TForm1::Res2Change() {
    applyActions(inputs::resolutionActions(Board, variant::Channel::Ch12, readControls()));
}
