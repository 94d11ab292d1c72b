// Choosing sensor inputs and resolutions. Picking an input pre-fills the stream's frame rate in
// the main window and the recording dialog, records the module kind (full board) and raises both
// resolution lists to the input's floor; picking a resolution raises it again. Nothing is sent.
#include "core/inputs.h"
#include "platform/files.h"
#include "app/tform1.h"
#include "dialogs/tform3.h"
#include "ui_tform1.h"

namespace ci = corvane::inputs;
namespace cv = corvane::variant;

namespace {

// One stream's controls and module flags. The recording dialog's controls are absent while the
// main window has no dialogs yet.
struct Stream {
    cv::Channel channel;
    QComboBox* input;
    QComboBox* res;
    QLineEdit* fps;
    QComboBox* recRes;
    QLineEdit* recFps;
    bool* sdi;
    bool* analog;
    bool* hdmi;
};

std::string selectedItem(const QComboBox* list) {
    return list->currentIndex() < 0 ? std::string() : platform::fromQ(list->currentText());
}

// Selecting from code runs no list handler; only a real change is written.
void select(QComboBox* list, int index) {
    if (list && list->currentIndex() != index)
        list->setCurrentIndex(index);
}

void writeFps(const Stream& s, const std::optional<std::string>& fps) {
    if (!fps)
        return;
    s.fps->setText(platform::toQ(*fps));
    if (s.recFps)
        s.recFps->setText(platform::toQ(*fps));
}

void selectInput(const cv::BoardFlags& flags, const Stream& s) {
    const int recRes = s.recRes ? s.recRes->currentIndex() : -1;
    const ci::InputEffect e =
        ci::selectInput(flags, s.channel, selectedItem(s.input), s.res->currentIndex(), recRes);
    if (flags.fullBoard) {
        // Full board: module flags, frame rate, then the floors.
        *s.sdi = e.modules.sdi;
        *s.analog = e.modules.analog;
        *s.hdmi = e.modules.hdmi;
        writeFps(s, e.fps);
        select(s.res, e.res);
        select(s.recRes, e.recRes);
    } else {
        // Small board: the floors, then the frame rate; the module flags stay.
        select(s.res, e.res);
        select(s.recRes, e.recRes);
        writeFps(s, e.fps);
    }
}

} // namespace

void TForm1::wireInputs() {
    // A list's handler runs when the operator picks an item, never when code selects one.
    connect(ui->S1I, &QComboBox::activated, this, &TForm1::S1IChange);
    connect(ui->S2I, &QComboBox::activated, this, &TForm1::S2IChange);
    connect(ui->Res1, &QComboBox::activated, this, &TForm1::Res1Change);
    connect(ui->Res2, &QComboBox::activated, this, &TForm1::Res2Change);
}

void TForm1::S1IChange() {
    selectInput(boardFlags(),
                {cv::Channel::Ch11, ui->S1I, ui->Res1, ui->fps1, Form3 ? Form3->RecRes1() : nullptr,
                 Form3 ? Form3->Recfps1() : nullptr, &Ch11Sdi, &Ch11Analog, &Ch11Hdmi});
}

void TForm1::S2IChange() {
    selectInput(boardFlags(),
                {cv::Channel::Ch12, ui->S2I, ui->Res2, ui->fps2, Form3 ? Form3->RecRes2() : nullptr,
                 Form3 ? Form3->Recfps2() : nullptr, &Ch12Sdi, &Ch12Analog, &Ch12Hdmi});
}

// The stream list alone follows the floor; the recording list, frame rates and flags stay.
void TForm1::Res1Change() {
    select(ui->Res1, ci::applyFloor(ui->Res1->currentIndex(), selectedInputFloor(11)));
}

void TForm1::Res2Change() {
    select(ui->Res2, ci::applyFloor(ui->Res2->currentIndex(), selectedInputFloor(12)));
}

int TForm1::selectedInputFloor(int stream) const {
    const bool s12 = stream == 12;
    return ci::inputFloor(boardFlags(), s12 ? cv::Channel::Ch12 : cv::Channel::Ch11,
                          selectedItem(s12 ? ui->S2I : ui->S1I));
}
