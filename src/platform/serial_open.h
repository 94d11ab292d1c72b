#pragma once
// What the operator is told when a serial device cannot be opened.
#include <QSerialPort>
#include <QString>

namespace platform::serialopen {

// The device path behind a port name ("ttyUSB0" -> "/dev/ttyUSB0"; a path stays as it is).
QString devicePath(const QString& portName);

// "Unable to open com port (Error: N)" with the system's error number, and a line of advice where
// the operator can act: membership of the device's group, or another program holding the port.
QString failureText(const QString& portName, QSerialPort::SerialPortError error,
                    const QString& errorString);

} // namespace platform::serialopen
