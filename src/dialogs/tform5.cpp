#include "dialogs/tform5.h"

#include "platform/screen.h"
#include "ui_tform5.h"

TForm5::TForm5(QWidget* parent) : QDialog(parent) {
    setModal(false);
}

void TForm5::build() {
    if (ui)
        return;
    ui = std::make_unique<Ui::TForm5>();
    ui->setupUi(this);
    ui->RTP11_S->setCurrentIndex(-1);
    ui->RTP12_S->setCurrentIndex(-1);
    // The SDP buttons carry their captions in red.
    for (QPushButton* button : {ui->BitBtn3, ui->BitBtn4}) {
        QPalette pal = button->palette();
        pal.setColor(QPalette::ButtonText, QColor(255, 0, 0));
        button->setPalette(pal);
    }
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TForm5::BitBtn2Click);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &TForm5::BitBtn3Click);
    connect(ui->BitBtn4, &QPushButton::clicked, this, &TForm5::BitBtn4Click);
    emit built();
}

// Shown for the first time: the widgets are built before.
void TForm5::setVisible(bool visible) {
    if (visible)
        build();
    QDialog::setVisible(visible);
}

TForm5::~TForm5() = default;
void TForm5::BitBtn3Click() {
    emit sdpRequested(11);
}

void TForm5::BitBtn4Click() {
    emit sdpRequested(12);
}

// Close: hide; every value stays.
void TForm5::BitBtn2Click() {
    hide();
}

void TForm5::showCentred() {
    platform::showCentred(this);
}
