#pragma once
// The modal "Setup" dialog of the serial port: port, baud rate, data bits, stop bits, parity and
// flow control. The port list offers the devices present and also takes a typed name or path.
#include "core/settings.h"

#include <QDialog>

class QComboBox;

class SerialSetupDialog : public QDialog {
    Q_OBJECT
public:
    SerialSetupDialog(const corvane::settings::SerialSettings& current, QWidget* parent = nullptr);
    // The settings as chosen; only meaningful after OK.
    corvane::settings::SerialSettings settings() const;

private:
    corvane::settings::SerialSettings current_;
    QComboBox* port_;
    QComboBox* baud_;
    QComboBox* dataBits_;
    QComboBox* stopBits_;
    QComboBox* parity_;
    QComboBox* flow_;
};
