#include "dialogs/tform4.h"

#include "platform/screen.h"
#include "ui_tform4.h"

#include <QButtonGroup>

namespace {

QButtonGroup* radioGroup(QGroupBox* box, const std::array<QRadioButton*, 4>& buttons) {
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < 4; ++i)
        group->addButton(buttons[static_cast<size_t>(i)], i);
    return group;
}

void select(QButtonGroup* group, int index) {
    if (QAbstractButton* button = group->button(index)) {
        button->setChecked(true);
        return;
    }
    // No selection: an exclusive group cannot be emptied while exclusive.
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons())
        b->setChecked(false);
    group->setExclusive(true);
}

} // namespace

TForm4::TForm4(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm4>()) {
    ui->setupUi(this);
    setModal(false);
    c11_ = radioGroup(ui->C11G, {ui->C11G_0, ui->C11G_1, ui->C11G_2, ui->C11G_3});
    c12_ = radioGroup(ui->C12G, {ui->C12G_0, ui->C12G_1, ui->C12G_2, ui->C12G_3});
    connect(ui->CorS, &QCheckBox::toggled, this, &TForm4::CorSClick);
    connect(ui->LumoS, &QCheckBox::toggled, this, &TForm4::LumoSClick);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TForm4::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TForm4::BitBtn2Click);
    connect(ui->AOAD, &QPushButton::clicked, this, &TForm4::AOADClick);
}

TForm4::~TForm4() = default;

void TForm4::setFullBoard(bool full) {
    (full ? ui->CorS : ui->LumoS)->setChecked(true);
}
int TForm4::C11GIndex() const {
    return c11_->checkedId();
}
int TForm4::C12GIndex() const {
    return c12_->checkedId();
}
void TForm4::setC11GIndex(int index) {
    select(c11_, index);
}
void TForm4::setC12GIndex(int index) {
    select(c12_, index);
}

void TForm4::showCentred() {
    platform::showCentred(this);
}

void TForm4::showSmallControls(bool visible, bool withButton) {
    ui->StaticText1->setVisible(visible);
    ui->C11G->setVisible(visible);
    ui->C12G->setVisible(visible);
    if (withButton)
        ui->AOAD->setVisible(visible);
}

// The two boxes end with exactly one ticked; the board flags follow at once, before any Save.
void TForm4::setFull(bool full) {
    emit fullBoardChosen(full);
}

void TForm4::CorSClick(bool checked) {
    if (checked)
        ui->LumoS->setChecked(false);
    else
        ui->LumoS->setChecked(true);
    setFull(checked);
    showSmallControls(!checked, true);
}

void TForm4::LumoSClick(bool checked) {
    if (checked)
        ui->CorS->setChecked(false);
    setFull(!checked);
    if (!checked)
        ui->CorS->setChecked(true);
    showSmallControls(checked, false);
}

void TForm4::BitBtn1Click() {
    emit saveRequested(C11GIndex(), C12GIndex());
}

void TForm4::BitBtn2Click() {
    hide();
}

// Asks the board which modules are fitted. The waiting state is shown before the request goes
// out: over UDP the answer is handled before the send returns.
void TForm4::AOADClick() {
    ui->AOAD->setText(QStringLiteral("Please Wait ! "));
    ui->C11G->hide();
    ui->C12G->hide();
    emit assemblyRequested();
}

void TForm4::assemblyAnswered() {
    ui->AOAD->setText(QStringLiteral("Assembly  Option Auto Detect"));
    ui->C11G->show();
    ui->C12G->show();
}
