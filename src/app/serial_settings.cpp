// The serial settings: applying them to the port, the status line, and the "Setup" dialog.
#include "app/tform1.h"

#include "dialogs/serial_setup.h"
#include "platform/files.h"
#include "ui_tform1.h"

#include <QFontMetrics>

#include <algorithm>

namespace settings = corvane::settings;

namespace {

// `before` + `path` + `after` in at most `width` pixels, keeping the path's own name and what
// follows it in view: the leading folders give way first ("…/ttyUSB0"), then the text before the
// path, then the middle of the name. Empty when not even that fits.
QString fitAroundPath(const QFontMetrics& fm, const QString& before, const QString& path,
                      const QString& after, int width) {
    const auto fits = [&](const QString& text) { return fm.horizontalAdvance(text) <= width; };
    const QString ellipsis(QChar(0x2026));
    const QStringList parts = path.split(QLatin1Char('/'));
    const QString& name = parts.last();
    const QString folded = parts.size() > 1 ? ellipsis + QLatin1Char('/') : QString();
    for (qsizetype keep = parts.size() - 1; keep >= 1; --keep) {
        const QString text =
            before + folded + parts.mid(parts.size() - keep).join(QLatin1Char('/')) + after;
        if (fits(text))
            return text;
    }
    const QString lead = !folded.isEmpty() ? folded : before.isEmpty() ? QString() : ellipsis;
    if (fits(lead + name + after))
        return lead + name + after;
    const QString cut =
        fm.elidedText(name, Qt::ElideMiddle, width - fm.horizontalAdvance(lead + after));
    // Less than a few characters of the name says nothing.
    if (cut.size() < std::min<qsizetype>(name.size(), 4))
        return {};
    return lead + cut + after;
}

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
// /dev/serial/by-id link) is shortened from its start, so that the device's own name and the
// settings behind it stay in view ("…/ttyUSB0  115200,8,N,1"); the whole text is the tooltip.
void TForm1::showLinkState(const QString& status, const QString& path) {
    QLabel* panel = ui->Panel4;
    if (status != linkStateStatus_) {
        linkStateStatus_ = status;
        const QFontMetrics fm = panel->fontMetrics();
        const int width = panel->contentsRect().width() - 2 * panel->margin() - 2;
        linkStateShown_ = status;
        if (fm.horizontalAdvance(status) > width) {
            const qsizetype at = path.isEmpty() ? -1 : status.indexOf(path);
            if (at >= 0)
                linkStateShown_ =
                    fitAroundPath(fm, status.left(at), path, status.mid(at + path.size()), width);
            if (at < 0 || linkStateShown_.isEmpty())
                linkStateShown_ = fm.elidedText(status, Qt::ElideMiddle, width);
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
