#include "link/serial_setup.h"

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

namespace cs = corvane::settings;

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

SerialSetupDialog::SerialSetupDialog(const cs::SerialSettings& current, QWidget* parent)
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

    baud_ = listOf(cs::kBaudRateTexts, cs::toText(current.baudRate), "BaudRate", group);
    dataBits_ = listOf(cs::kDataBitsTexts, cs::toText(current.dataBits), "DataBits", group);
    stopBits_ = listOf(cs::kStopBitsTexts, cs::toText(current.stopBits), "StopBits", group);
    parity_ = listOf(cs::kParityTexts, cs::toText(current.parity), "Parity", group);
    flow_ = listOf(cs::kFlowControlTexts, cs::toText(cs::flowControlOf(current.flow)),
                   "FlowControl", group);
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

cs::SerialSettings SerialSetupDialog::settings() const {
    cs::SerialSettings s = current_;
    s.portName = platform::fromQ(port_->currentText());
    s.baudRate = cs::baudRateFromText(platform::fromQ(baud_->currentText()));
    s.dataBits = cs::dataBitsFromText(platform::fromQ(dataBits_->currentText()));
    s.stopBits = cs::stopBitsFromText(platform::fromQ(stopBits_->currentText()));
    s.parity = cs::parityFromText(platform::fromQ(parity_->currentText()));
    cs::applyFlowControl(s.flow, cs::flowControlFromText(platform::fromQ(flow_->currentText())));
    return s;
}
