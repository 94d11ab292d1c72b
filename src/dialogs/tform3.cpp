#include "dialogs/tform3.h"

#include "core/inputs.h"
#include "platform/screen.h"
#include "ui_tform3.h"

TForm3::TForm3(QWidget* parent) : QDialog(parent) {
    setModal(false);
}

void TForm3::build() {
    if (ui)
        return;
    ui = std::make_unique<Ui::TForm3>();
    ui->setupUi(this);
    // Nothing is selected until the configuration is read, a file is opened or an input is picked.
    ui->RecRes1->setCurrentIndex(-1);
    ui->RecRes2->setCurrentIndex(-1);
    // A list's handler runs when the operator picks an item, never when code selects one.
    connect(ui->RecRes1, &QComboBox::activated, this, &TForm3::RecRes1Change);
    connect(ui->RecRes2, &QComboBox::activated, this, &TForm3::RecRes2Change);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TForm3::BitBtn2Click);
    emit built();
}

// Shown for the first time: the widgets are built before.
void TForm3::setVisible(bool visible) {
    if (visible)
        build();
    QDialog::setVisible(visible);
}

TForm3::~TForm3() = default;

void TForm3::applyInputFloor(QComboBox* list, int stream) {
    const int floor = inputFloor_ ? inputFloor_(stream) : corvane::inputs::kNoFloor;
    const int selected = corvane::inputs::applyFloor(list->currentIndex(), floor);
    if (selected != list->currentIndex())
        list->setCurrentIndex(selected);
}

void TForm3::RecRes1Change() {
    applyInputFloor(ui->RecRes1, 11);
}

void TForm3::RecRes2Change() {
    applyInputFloor(ui->RecRes2, 12);
}

// Close: hide; every value stays for the next showing and for the main window's use.
void TForm3::BitBtn2Click() {
    hide();
}

void TForm3::FormShow() {}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm3::showCentred() {
    platform::showCentred(this);
}
