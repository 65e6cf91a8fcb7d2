#include "ControlSocket.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

// A client that sends an endless line costs no more than this.
constexpr std::size_t LongestLine = 4096;

bool addressOf(const QString &path, sockaddr_un &address)
{
    const QByteArray name = QFile::encodeName(path);
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    address = {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()));
    return true;
}

// Whether a simulator answers on the socket at address.
bool answered(const sockaddr_un &address)
{
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return false;
    const bool connected =
        ::connect(probe, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(probe);
    return connected;
}

void writeAll(int fd, const std::string &text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += std::size_t(n);
    }
}

} // namespace

ControlSocket::~ControlSocket()
{
    for (const Connection &connection : m_connections)
        ::close(connection.fd);
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(QFile::encodeName(m_path).constData());
    }
}

bool ControlSocket::listen(const QString &path, QString *error)
{
    sockaddr_un address;
    if (!addressOf(path, address)) {
        *error = QStringLiteral("--control %1: the path is too long for a socket").arg(path);
        return false;
    }
    struct stat found = {};
    if (::lstat(address.sun_path, &found) == 0) {
        if (!S_ISSOCK(found.st_mode)) {
            *error =
                QStringLiteral("--control %1: something else than a socket is there").arg(path);
            return false;
        }
        if (answered(address)) {
            *error = QStringLiteral("--control %1: another simulator listens there").arg(path);
            return false;
        }
        ::unlink(address.sun_path);
    }
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    const mode_t mask = ::umask(0117);
    const bool bound =
        m_listener >= 0 &&
        ::bind(m_listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0 &&
        ::listen(m_listener, 8) == 0;
    ::umask(mask);
    if (!bound) {
        *error = QStringLiteral("--control %1: %2")
                     .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        if (m_listener >= 0)
            ::close(m_listener);
        m_listener = -1;
        return false;
    }
    m_path = path;
    return true;
}

std::vector<pollfd> ControlSocket::pollSet() const
{
    std::vector<pollfd> fds;
    if (m_listener >= 0)
        fds.push_back({m_listener, POLLIN, 0});
    for (const Connection &connection : m_connections)
        fds.push_back({connection.fd, POLLIN, 0});
    return fds;
}

void ControlSocket::serve(const std::vector<pollfd> &polled, const Handler &handler)
{
    for (const pollfd &fd : polled) {
        if (!(fd.revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        if (fd.fd == m_listener) {
            accept();
            continue;
        }
        const auto found = std::find_if(m_connections.begin(), m_connections.end(),
                                        [&](const Connection &c) { return c.fd == fd.fd; });
        if (found != m_connections.end() && !read(*found, handler)) {
            ::close(found->fd);
            m_connections.erase(found);
        }
    }
}

void ControlSocket::accept()
{
    for (int fd; (fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
        m_connections.push_back({fd, {}});
}

bool ControlSocket::read(Connection &connection, const Handler &handler)
{
    char buffer[512];
    const ssize_t n = ::read(connection.fd, buffer, sizeof buffer);
    if (n <= 0)
        return false;
    connection.pending.append(buffer, std::size_t(n));
    for (std::size_t end; (end = connection.pending.find('\n')) != std::string::npos;) {
        const QString line = QString::fromStdString(connection.pending.substr(0, end));
        connection.pending.erase(0, end + 1);
        const QString answer = handler(line);
        if (!answer.isEmpty())
            writeAll(connection.fd, answer.toStdString() + '\n');
    }
    return connection.pending.size() <= LongestLine;
}
