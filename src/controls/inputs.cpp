// Choosing sensor inputs and resolutions. Picking an input pre-fills the stream's frame rate in
// the main window and the recording dialog, records the module kind (full board) and raises both
// resolution lists to the input's floor; picking a resolution raises it again. Nothing is sent.
#include "core/inputs.h"
#include "app/tform1.h"
#include "platform/files.h"
#include "ui_tform1.h"

namespace ci = corvane::inputs;
namespace cv = corvane::variant;

void TForm1::wireInputs() {
    // A list's handler runs when the operator picks an item, never when code selects one.
    connect(ui->S1I, &QComboBox::activated, this, &TForm1::S1IChange);
    connect(ui->S2I, &QComboBox::activated, this, &TForm1::S2IChange);
    connect(ui->Res1, &QComboBox::activated, this, &TForm1::Res1Change);
    connect(ui->Res2, &QComboBox::activated, this, &TForm1::Res2Change);
}

void TForm1::S1IChange() {
    applyActions(ci::inputActions(Board, cv::Channel::Ch11, readControls()));
}

void TForm1::S2IChange() {
    applyActions(ci::inputActions(Board, cv::Channel::Ch12, readControls()));
}

// The stream list alone follows the floor; the recording list, frame rates and flags stay.
void TForm1::Res1Change() {
    const int selected = ci::applyFloor(ui->Res1->currentIndex(), selectedInputFloor(11));
    if (selected != ui->Res1->currentIndex())
        ui->Res1->setCurrentIndex(selected);
}

void TForm1::Res2Change() {
    const int selected = ci::applyFloor(ui->Res2->currentIndex(), selectedInputFloor(12));
    if (selected != ui->Res2->currentIndex())
        ui->Res2->setCurrentIndex(selected);
}

int TForm1::selectedInputFloor(int stream) const {
    const bool s12 = stream == 12;
    const QComboBox* list = s12 ? ui->S2I : ui->S1I;
    return ci::inputFloor(Board, s12 ? cv::Channel::Ch12 : cv::Channel::Ch11,
                          list->currentIndex() < 0 ? std::string()
                                                   : platform::fromQ(list->currentText()));
}
