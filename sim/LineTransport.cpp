#include "sim/LineTransport.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/inotify.h>
#include <termios.h>
#include <unistd.h>

namespace
{

speed_t speedConstant(int speed)
{
    switch (speed) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

bool makeNonBlocking(int fd)
{
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0 &&
           fcntl(fd, F_SETFD, FD_CLOEXEC) == 0;
}

} // namespace

LineTransport::~LineTransport()
{
    shutdown();
}

bool LineTransport::fail(const QString &what)
{
    m_error = what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
    close();
    return false;
}

bool LineTransport::openPty(const QString &linkPath)
{
    close();
    m_linkPath = linkPath;
    m_device.clear();
    char name[256] = {};
    if (openpty(&m_fd, &m_slaveFd, name, nullptr, nullptr) != 0) {
        m_fd = m_slaveFd = -1;
        return fail(QStringLiteral("openpty"));
    }
    termios raw{};
    if (tcgetattr(m_slaveFd, &raw) != 0)
        return fail(QStringLiteral("tcgetattr"));
    cfmakeraw(&raw);
    if (tcsetattr(m_slaveFd, TCSANOW, &raw) != 0 || tcgetattr(m_slaveFd, &m_freshSettings) != 0 ||
        !makeNonBlocking(m_fd) || fcntl(m_slaveFd, F_SETFD, FD_CLOEXEC) != 0)
        return fail(QStringLiteral("pty set-up"));
    m_devicePath = QString::fromLocal8Bit(name);
    // Our own slave descriptor stays open, so every close seen here is another program's.
    m_releaseWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_releaseWatch < 0 ||
        inotify_add_watch(m_releaseWatch, name, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) < 0)
        return fail(QStringLiteral("inotify"));
    return updateLink();
}

bool LineTransport::openDevice(const QString &device, const LineConfig &line)
{
    close();
    m_device = device;
    m_deviceLine = line;
    m_linkPath.clear();
    m_fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_fd < 0)
        return fail(device);
    termios tio{};
    if (tcgetattr(m_fd, &tio) != 0)
        return fail(device);
    cfmakeraw(&tio);
    const speed_t speed = speedConstant(line.speed);
    if (speed == B0) {
        m_error = QStringLiteral("unsupported speed %1").arg(line.speed);
        close();
        return false;
    }
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    tio.c_cflag |= (line.dataBits == 7 ? CS7 : CS8) | CLOCAL | CREAD;
    if (line.parity != 'N')
        tio.c_cflag |= PARENB | (line.parity == 'O' ? PARODD : 0);
    if (line.stopBits == 2)
        tio.c_cflag |= CSTOPB;
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0 || fcntl(m_fd, F_SETFD, FD_CLOEXEC) != 0)
        return fail(device);
    m_devicePath = device;
    return true;
}

void LineTransport::close()
{
    for (int *fd : {&m_fd, &m_slaveFd, &m_releaseWatch}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

void LineTransport::releaseSeen()
{
    alignas(inotify_event) char events[4096];
    while (m_releaseWatch >= 0 && ::read(m_releaseWatch, events, sizeof events) > 0) {
    }
    // Speed and character format stay: the next program sets its own, and one that has already
    // opened the line again keeps what it set. The modes are raw either way, so putting them back
    // never disturbs a program that has the line open.
    termios settings{};
    if (m_slaveFd < 0 || tcgetattr(m_slaveFd, &settings) != 0)
        return;
    settings.c_iflag = m_freshSettings.c_iflag;
    settings.c_oflag = m_freshSettings.c_oflag;
    settings.c_lflag = m_freshSettings.c_lflag;
    tcsetattr(m_slaveFd, TCSANOW, &settings);
}

bool LineTransport::reopen()
{
    if (!m_device.isEmpty())
        return openDevice(m_device, m_deviceLine);
    return openPty(m_linkPath);
}

void LineTransport::shutdown()
{
    close();
    if (!m_linkPath.isEmpty() && QFileInfo(m_linkPath).isSymLink())
        QFile::remove(m_linkPath);
}

bool LineTransport::updateLink()
{
    if (m_linkPath.isEmpty())
        return true;
    const QByteArray link = QFile::encodeName(m_linkPath);
    const QByteArray temporary = link + ".new";
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(m_devicePath).constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), link.constData()) != 0)
        return fail(m_linkPath);
    return true;
}

bool LineTransport::lineMatches(const LineConfig &line) const
{
    if (!m_device.isEmpty() || m_slaveFd < 0)
        return true;
    termios tio{};
    if (tcgetattr(m_slaveFd, &tio) != 0)
        return true;
    // The pty driver keeps the speed and the stop bits but forces 8 data bits without parity,
    // so those two cannot be told.
    return cfgetospeed(&tio) == speedConstant(line.speed) &&
           bool(tio.c_cflag & CSTOPB) == (line.stopBits == 2);
}

QByteArray LineTransport::readAvailable()
{
    QByteArray bytes;
    char buffer[512];
    while (m_fd >= 0) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        fail(QStringLiteral("read"));
    }
    return bytes;
}

qint64 LineTransport::write(const QByteArray &bytes)
{
    if (m_fd < 0)
        return -1;
    for (;;) {
        const ssize_t n = ::write(m_fd, bytes.constData(), size_t(bytes.size()));
        if (n >= 0)
            return n;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        fail(QStringLiteral("write"));
        return -1;
    }
}
