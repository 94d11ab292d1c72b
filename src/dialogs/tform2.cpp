#include "dialogs/tform2.h"

#include "platform/files.h"
#include "platform/prompts.h"
#include "platform/screen.h"
#include "ui_tform2.h"

TForm2::TForm2(QWidget* parent) : QDialog(parent) {
    setModal(false);
}

void TForm2::build() {
    if (ui)
        return;
    ui = std::make_unique<Ui::TForm2>();
    ui->setupUi(this);
    ui->MyIPL->setText(platform::toQ(held_.myIp));
    ui->CorIPL->setText(platform::toQ(held_.boardIp));
    ui->SPort->setText(platform::toQ(held_.sourcePort));
    ui->PortL->setText(platform::toQ(held_.boardPort));
    connect(ui->Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
}

// Shown for the first time: the widgets are built before.
void TForm2::setVisible(bool visible) {
    if (visible)
        build();
    QDialog::setVisible(visible);
}

TForm2::~TForm2() = default;

void TForm2::load(const QString& folder) {
    const auto bytes = platform::files::readSetting(folder + QStringLiteral("/udpf.ini"),
                                                    QStringLiteral("No UDP Configuration File"));
    if (!bytes)
        return;
    const corvane::settings::UdpSettings udp = corvane::settings::parseUdpIni(*bytes);
    if (!ui) {
        // As the edits would keep them.
        constexpr std::size_t kEditMaxLength = 32767;
        held_.myIp = udp.myIp.substr(0, kEditMaxLength);
        held_.boardIp = udp.boardIp.substr(0, kEditMaxLength);
        held_.sourcePort = udp.sourcePort.substr(0, kEditMaxLength);
        return;
    }
    ui->MyIPL->setText(platform::toQ(udp.myIp));
    ui->CorIPL->setText(platform::toQ(udp.boardIp));
    ui->SPort->setText(platform::toQ(udp.sourcePort));
}

corvane::settings::UdpEndpointTexts TForm2::endpoint() const {
    if (!ui)
        return held_;
    return {platform::fromQ(ui->MyIPL->text()), platform::fromQ(ui->CorIPL->text()),
            platform::fromQ(ui->SPort->text()), platform::fromQ(ui->PortL->text())};
}

void TForm2::setStore(std::function<QString()> appDir) {
    appDir_ = std::move(appDir);
}

void TForm2::showCentred() {
    platform::showCentred(this);
}

// Save: the three edits, as typed, into udpf.ini; a failed write keeps the dialog open.
void TForm2::Button1Click() {
    build();
    const std::string bytes = corvane::settings::writeUdpIni({platform::fromQ(ui->MyIPL->text()),
                                                              platform::fromQ(ui->CorIPL->text()),
                                                              platform::fromQ(ui->SPort->text())});
    const QString dir = appDir_ ? appDir_() : QString();
    QString error;
    const QString path = dir + QStringLiteral("/udpf.ini");
    if (!platform::files::writeSetting(path, bytes, &error)) {
        platform::message(QStringLiteral("Cannot write %1: %2").arg(path, error));
        return;
    }
    hide();
    emit saved();
}

// Cancel: hide; the edits keep what was typed.
void TForm2::Button2Click() {
    hide();
}
