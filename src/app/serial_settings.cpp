// The serial settings: applying them to the port, the status line, and the "Setup" dialog.
#include "app/tform1.h"

#include "dialogs/serial_setup.h"
#include "platform/files.h"
#include "ui_tform1.h"

#include <QFontMetrics>

namespace settings = corvane::settings;

namespace {

QSerialPort::Parity toQt(settings::Parity p) {
    switch (p) {
    case settings::Parity::Odd:
        return QSerialPort::OddParity;
    case settings::Parity::Even:
        return QSerialPort::EvenParity;
    case settings::Parity::Mark:
        return QSerialPort::MarkParity;
    case settings::Parity::Space:
        return QSerialPort::SpaceParity;
    case settings::Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(settings::StopBits s) {
    switch (s) {
    case settings::StopBits::OnePointFive:
        return QSerialPort::OneAndHalfStop;
    case settings::StopBits::Two:
        return QSerialPort::TwoStop;
    case settings::StopBits::One:
        break;
    }
    return QSerialPort::OneStop;
}

QSerialPort::FlowControl toQt(const settings::FlowSettings& f) {
    if (f.rts == settings::RtsControl::Handshake || f.ctsOutputFlow)
        return QSerialPort::HardwareControl;
    if (f.xonXoffIn || f.xonXoffOut)
        return QSerialPort::SoftwareControl;
    return QSerialPort::NoFlowControl;
}

} // namespace

void TForm1::setupSerialDefaults() {
    // The platform has no "COM1"; the first serial device is the default.
    serialSettings.portName = "ttyS0";
    applySerialSettings(serialSettings);
}

// Applies the settings to the port at once, also while it is open; a new name moves an open
// connection to the new device.
void TForm1::applySerialSettings(const settings::SerialSettings& settings) {
    const bool moved = settings.portName != serialSettings.portName;
    serialSettings = settings;
    const bool reopen = moved && ComPort1->isOpen();
    if (reopen)
        ComPort1->close();
    ComPort1->setPortName(platform::toQ(settings.portName));
    ComPort1->setBaudRate(settings::baudValue(settings));
    ComPort1->setDataBits(
        static_cast<QSerialPort::DataBits>(settings::dataBitsValue(settings.dataBits)));
    ComPort1->setParity(toQt(settings.parity));
    ComPort1->setStopBits(toQt(settings.stopBits));
    ComPort1->setFlowControl(toQt(settings.flow));
    ComPort1->clearError();
    if (reopen && !openSerialPort())
        Timer1->stop();
}

QString TForm1::serialStatusText() const {
    return platform::toQ(settings::statusText(serialSettings));
}

// The status line shows the whole text where it fits. A long device path (a pseudo-terminal, a
// /dev/serial/by-id link) is shortened in its middle, so that the settings behind it stay in view;
// the whole text is the tooltip.
void TForm1::showLinkState(const QString& status, const std::string& portName) {
    QLabel* panel = ui->Panel4;
    if (status != linkStateStatus_) {
        linkStateStatus_ = status;
        const QFontMetrics fm = panel->fontMetrics();
        const int width = panel->contentsRect().width() - 2 * panel->margin() - 2;
        linkStateShown_ = status;
        if (fm.horizontalAdvance(status) > width) {
            const QString path = platform::toQ(portName);
            const qsizetype at = path.isEmpty() ? -1 : status.indexOf(path);
            QString shortPath;
            if (at >= 0) {
                const QString rest = status.left(at) + status.mid(at + path.size());
                shortPath =
                    fm.elidedText(path, Qt::ElideMiddle, width - fm.horizontalAdvance(rest));
            }
            linkStateShown_ = !shortPath.isEmpty()
                                  ? status.left(at) + shortPath + status.mid(at + path.size())
                                  : fm.elidedText(status, Qt::ElideMiddle, width);
        }
    }
    if (panel->toolTip() != status)
        panel->setToolTip(status);
    if (panel->text() != linkStateShown_)
        panel->setText(linkStateShown_);
}

void TForm1::ConfigurationClick() {
    SerialSetupDialog dialog(serialSettings, this);
    if (dialog.exec() == QDialog::Accepted)
        applySerialSettings(dialog.settings());
}
