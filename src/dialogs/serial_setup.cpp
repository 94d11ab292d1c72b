#include "dialogs/serial_setup.h"

#include "platform/files.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>
#include <algorithm>

namespace settings = corvane::settings;

namespace {

// A device path as long as the usual ones get.
constexpr char kUsualLongPortName[] =
    "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0";

template <size_t N>
QComboBox* listOf(const std::array<std::string_view, N>& texts, std::string_view current,
                  const char* name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QLatin1String(name));
    for (auto t : texts)
        combo->addItem(QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size())));
    combo->setCurrentIndex(combo->findText(
        QString::fromLatin1(current.data(), static_cast<qsizetype>(current.size()))));
    return combo;
}

} // namespace

SerialSetupDialog::SerialSetupDialog(const settings::SerialSettings& current, QWidget* parent)
    : QDialog(parent), current_(current) {
    setWindowTitle(QStringLiteral("Setup"));
    setModal(true);
    auto* group = new QGroupBox(QStringLiteral(" Settings "), this);
    auto* form = new QFormLayout(group);

    port_ = new QComboBox(group);
    port_->setObjectName(QStringLiteral("Port"));
    port_->setEditable(true);
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.portName();
    std::sort(names.begin(), names.end());
    port_->addItems(names);
    port_->setEditText(platform::toQ(current.portName));
    port_->setEditText(platform::toQ(current.portName));
    // Wide enough for the usual device paths, /dev/serial/by-id links included.
    const QFontMetrics fm = port_->fontMetrics();
    const int xWidth = std::max(1, fm.horizontalAdvance(QLatin1Char('x')));
    port_->setMinimumContentsLength(
        (fm.horizontalAdvance(QLatin1String(kUsualLongPortName)) + xWidth - 1) / xWidth);
    port_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    baud_ = listOf(settings::kBaudRateTexts, settings::toText(current.baudRate), "BaudRate", group);
    dataBits_ =
        listOf(settings::kDataBitsTexts, settings::toText(current.dataBits), "DataBits", group);
    stopBits_ =
        listOf(settings::kStopBitsTexts, settings::toText(current.stopBits), "StopBits", group);
    parity_ = listOf(settings::kParityTexts, settings::toText(current.parity), "Parity", group);
    flow_ = listOf(settings::kFlowControlTexts,
                   settings::toText(settings::flowControlOf(current.flow)), "FlowControl", group);
    const std::pair<const char*, QComboBox*> rows[] = {
        {"Port", port_},          {"Baud rate", baud_}, {"Data bits", dataBits_},
        {"Stop bits", stopBits_}, {"Parity", parity_},  {"Flow control", flow_}};
    for (const auto& [label, combo] : rows) {
        combo->setAccessibleName(QLatin1String(label));
        form->addRow(QLatin1String(label), combo);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

settings::SerialSettings SerialSetupDialog::settings() const {
    settings::SerialSettings s = current_;
    s.portName = platform::fromQ(port_->currentText());
    s.baudRate = settings::baudRateFromText(platform::fromQ(baud_->currentText()));
    s.dataBits = settings::dataBitsFromText(platform::fromQ(dataBits_->currentText()));
    s.stopBits = settings::stopBitsFromText(platform::fromQ(stopBits_->currentText()));
    s.parity = settings::parityFromText(platform::fromQ(parity_->currentText()));
    settings::applyFlowControl(
        s.flow, settings::flowControlFromText(platform::fromQ(flow_->currentText())));
    return s;
}
