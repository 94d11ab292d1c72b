#include "platform/serial_open.h"

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::serialopen {

QString devicePath(const QString& portName) {
    if (portName.startsWith(QLatin1Char('/')))
        return portName;
    return QStringLiteral("/dev/") + portName;
}

namespace {

// Opens the device once more, only to learn the system's error number.
int probeErrno(const QString& path) {
    const QByteArray native = path.toLocal8Bit();
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        ::close(fd);
        return 0;
    }
    return errno;
}

QString groupOf(const QString& path) {
    struct stat st {};
    if (::stat(path.toLocal8Bit().constData(), &st) != 0)
        return QStringLiteral("dialout");
    if (const struct group* g = ::getgrgid(st.st_gid))
        return QString::fromLocal8Bit(g->gr_name);
    return QString::number(st.st_gid);
}

} // namespace

QString failureText(const QString& portName, QSerialPort::SerialPortError error,
                    const QString& errorString) {
    const QString path = devicePath(portName);
    int code = probeErrno(path);
    const bool lockedByOther = errorString.contains(QLatin1String("locking"), Qt::CaseInsensitive);
    if (code == 0) {
        // The device opens for us, so the serial layer refused for its own reason.
        code = error == QSerialPort::DeviceNotFoundError ? ENOENT
               : error == QSerialPort::PermissionError   ? EACCES
                                                         : EIO;
        if (lockedByOther)
            code = EBUSY;
    }
    QString text = QStringLiteral("Unable to open com port (Error: %1)").arg(code);
    if (code == EBUSY || lockedByOther) {
        text += QStringLiteral("\n%1 is in use by another program.").arg(path);
    } else if (code == EACCES || code == EPERM) {
        text +=
            QStringLiteral("\nTo use %1 your user must belong to the group \"%2\" that owns it.")
                .arg(path, groupOf(path));
    } else if (code == ENOENT) {
        text += QStringLiteral("\nThere is no device %1.").arg(path);
    }
    return text;
}

} // namespace platform::serialopen
