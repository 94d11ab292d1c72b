// The serial part of the status line.
#include "app/tform1.h"

QString TForm1::serialStatusText() const {
    static const char* parity[] = {"N", "?", "E", "O", "S", "M"};
    const int p = static_cast<int>(ComPort1->parity());
    const QString stop = ComPort1->stopBits() == QSerialPort::OneAndHalfStop ? QStringLiteral("1.5")
                         : ComPort1->stopBits() == QSerialPort::TwoStop      ? QStringLiteral("2")
                                                                             : QStringLiteral("1");
    return QStringLiteral("RS232 Connected to :") + ComPort1->portName() + QStringLiteral("  ") +
           QString::number(ComPort1->baudRate()) + QLatin1Char(',') +
           QString::number(static_cast<int>(ComPort1->dataBits())) + QLatin1Char(',') +
           QLatin1String(p >= 0 && p < 6 ? parity[p] : "N") + QLatin1Char(',') + stop;
}

void TForm1::ConfigurationClick() {}
