// The board variant: the main window's title, stream group captions and sensor-input lists.
#include "app/tform1.h"

#include "platform/files.h"
#include "dialogs/tform4.h"
#include "ui_tform1.h"

namespace cv = corvane::variant;

cv::BoardFlags TForm1::boardFlags() const {
    cv::BoardFlags f;
    f.fullBoard = FullBoard;
    f.boardVariant = BoardVariant;
    f.ch11 = {Ch11Sdi, Ch11Analog, Ch11Hdmi};
    f.ch12 = {Ch12Sdi, Ch12Analog, Ch12Hdmi};
    return f;
}

void TForm1::setBoardFlags(const cv::BoardFlags& f) {
    FullBoard = f.fullBoard;
    BoardVariant = f.boardVariant;
    Ch11Sdi = f.ch11.sdi;
    Ch11Analog = f.ch11.analog;
    Ch11Hdmi = f.ch11.hdmi;
    Ch12Sdi = f.ch12.sdi;
    Ch12Analog = f.ch12.analog;
    Ch12Hdmi = f.ch12.hdmi;
}

void TForm1::applyVariant(const cv::VariantEffect& effect) {
    if (!effect.title.empty())
        setWindowTitle(platform::toQ(effect.title));
    const std::pair<const std::optional<cv::StreamView>&, std::pair<QComboBox*, QGroupBox*>>
        streams[] = {{effect.stream11, {ui->S1I, ui->GroupBox1}},
                     {effect.stream12, {ui->S2I, ui->GroupBox2}}};
    for (const auto& [view, controls] : streams) {
        if (!view)
            continue;
        const auto [list, group] = controls;
        list->clear();
        for (const std::string& item : view->items)
            list->addItem(platform::toQ(item));
        list->setCurrentIndex(view->selected);
        group->setTitle(platform::toQ(view->caption));
    }
    setBoardFlags(effect.flags);
    if (effect.c11gIndex)
        Form4->setC11GIndex(*effect.c11gIndex);
    if (effect.c12gIndex)
        Form4->setC12GIndex(*effect.c12gIndex);
}

void TForm1::clearStatusLine() {
    ui->Panel4->clear();
}
