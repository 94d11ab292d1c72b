// The serial settings: applying them to the port, the status line, and the "Setup" dialog.
#include "app/tform1.h"

#include "link/serial_setup.h"
#include "platform/files.h"

namespace cs = corvane::settings;

namespace {

QSerialPort::Parity toQt(cs::Parity p) {
    switch (p) {
    case cs::Parity::Odd:
        return QSerialPort::OddParity;
    case cs::Parity::Even:
        return QSerialPort::EvenParity;
    case cs::Parity::Mark:
        return QSerialPort::MarkParity;
    case cs::Parity::Space:
        return QSerialPort::SpaceParity;
    case cs::Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::StopBits toQt(cs::StopBits s) {
    switch (s) {
    case cs::StopBits::OnePointFive:
        return QSerialPort::OneAndHalfStop;
    case cs::StopBits::Two:
        return QSerialPort::TwoStop;
    case cs::StopBits::One:
        break;
    }
    return QSerialPort::OneStop;
}

QSerialPort::FlowControl toQt(const cs::FlowSettings& f) {
    if (f.rts == cs::RtsControl::Handshake || f.ctsOutputFlow)
        return QSerialPort::HardwareControl;
    if (f.xonXoffIn || f.xonXoffOut)
        return QSerialPort::SoftwareControl;
    return QSerialPort::NoFlowControl;
}

} // namespace

void TForm1::setupSerialDefaults() {
    // The platform has no "COM1"; the first serial device is the default.
    ComSettings.portName = "ttyS0";
    applySerialSettings(ComSettings);
}

// Applies the settings to the port at once, also while it is open; a new name moves an open
// connection to the new device.
void TForm1::applySerialSettings(const cs::SerialSettings& settings) {
    const bool moved = settings.portName != ComSettings.portName;
    ComSettings = settings;
    const bool reopen = moved && ComPort1->isOpen();
    if (reopen)
        ComPort1->close();
    ComPort1->setPortName(platform::toQ(settings.portName));
    ComPort1->setBaudRate(cs::baudValue(settings));
    ComPort1->setDataBits(static_cast<QSerialPort::DataBits>(cs::dataBitsValue(settings.dataBits)));
    ComPort1->setParity(toQt(settings.parity));
    ComPort1->setStopBits(toQt(settings.stopBits));
    ComPort1->setFlowControl(toQt(settings.flow));
    ComPort1->clearError();
    if (reopen && !openSerialPort())
        Timer1->stop();
}

QString TForm1::serialStatusText() const {
    return platform::toQ(cs::statusText(ComSettings));
}

void TForm1::ConfigurationClick() {
    SerialSetupDialog dialog(ComSettings, this);
    if (dialog.exec() == QDialog::Accepted)
        applySerialSettings(dialog.settings());
}
