#include "PortFault.h"

#include "base/MessageTable.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace
{
PortFault fromQtError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return PortFault::Missing;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return PortFault::Busy;
    default:
        return PortFault::Other;
    }
}

#ifdef Q_OS_UNIX
PortFault fromErrno(int error)
{
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV:
        return PortFault::Missing;
    case EACCES:
    case EPERM:
        return PortFault::AccessDenied;
    case EBUSY:
        return PortFault::Busy;
    default:
        return PortFault::Other;
    }
}
#endif
} // namespace

PortFault PortFaults::classify(const QString &device, QSerialPort::SerialPortError error)
{
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(device);
    struct stat status {
    };
    if (::stat(path.constData(), &status) != 0)
        return fromErrno(errno);
    if (!S_ISCHR(status.st_mode))
        return PortFault::NotSerial;
    // Non-blocking, so that a modem line cannot hold the open; closed at once.
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return fromErrno(errno);
    const bool terminal = ::isatty(fd) != 0;
    ::close(fd);
    if (!terminal)
        return PortFault::NotSerial;
    // The terminal opens for us but not for QSerialPort: its lock is held by another program.
    return fromQtError(error) == PortFault::Busy ? PortFault::Busy : PortFault::Other;
#else
    return fromQtError(error);
#endif
}

int PortFaults::messageId(PortFault fault)
{
    switch (fault) {
    case PortFault::Unmapped:
        return 1045;
    case PortFault::Missing:
        return 1042;
    case PortFault::NotSerial:
        return 1043;
    case PortFault::Busy:
        return 1044;
    case PortFault::HostNotFound:
        return 1170;
    case PortFault::Refused:
        return 1171;
    case PortFault::Unreachable:
        return 1172;
    case PortFault::ServerClosed:
        return 1173;
    case PortFault::InUse:
        return 1174;
    case PortFault::NotRfc2217:
        return 1175;
    case PortFault::LineRefused:
        return 1176;
    default:
        return 0;
    }
}

bool PortFaults::isNetwork(PortFault fault)
{
    switch (fault) {
    case PortFault::HostNotFound:
    case PortFault::Refused:
    case PortFault::Unreachable:
    case PortFault::ServerClosed:
    case PortFault::InUse:
    case PortFault::NotRfc2217:
    case PortFault::LineRefused:
        return true;
    default:
        return false;
    }
}

QString PortFaults::lostText(const QString &comName, const PortOpenFault &lost)
{
    if (lost.fault == PortFault::ServerClosed)
        return msg(1189).arg(comName, lost.device);
    return text(comName, lost);
}

QString PortFaults::text(const QString &comName, const PortOpenFault &fault)
{
    const int id = messageId(fault.fault);
    if (id == 0)
        return QString();
    if (fault.fault == PortFault::Unmapped)
        return msg(id).arg(comName);
    // Messages without a third value leave fault.detail out.
    return msg(id).contains(QLatin1String("%3")) ? msg(id).arg(comName, fault.device, fault.detail)
                                                 : msg(id).arg(comName, fault.device);
}
