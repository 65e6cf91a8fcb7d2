#pragma once

#include "sim/SimConfig.h"

#include <QByteArray>
#include <QString>

#include <termios.h>

// The controller's end of the line: the master side of a pseudo-terminal, or a serial device set
// to the line parameters. Non-blocking file descriptor I/O; the caller polls fd().
class LineTransport
{
public:
    LineTransport() = default;
    ~LineTransport();
    LineTransport(const LineTransport &) = delete;
    LineTransport &operator=(const LineTransport &) = delete;

    // A new pseudo-terminal; with linkPath a symbolic link there points at its slave device
    // (replaced atomically, so that a reopened line keeps its name).
    bool openPty(const QString &linkPath = QString());
    // An existing serial device, raw, at the line's speed, data bits, parity and stop bits.
    bool openDevice(const QString &device, const LineConfig &line);
    // Closes the line as an unplugged adapter does: the pty slave disappears. The link is kept.
    void close();
    // Opens the line again as it was opened first (a new pty; the link follows it).
    bool reopen();
    // Closes and removes the link.
    void shutdown();

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // The device a program opens: the pty slave, or the serial device.
    QString devicePath() const { return m_devicePath; }
    QString linkPath() const { return m_linkPath; }
    QString errorString() const { return m_error; }

    // Whether the program at the other end set the line as the controller is set: the speed and
    // stop bits of the pty slave (a pty carries bytes at any setting, a real line garbles them;
    // data bits and parity a pty does not keep). Always true for a serial device, whose UART sees
    // to that itself.
    bool lineMatches(const LineConfig &line) const;

    // Watches the pty slave for programs letting go of it: -1 for a serial device. When it is
    // readable, call releaseSeen().
    int releaseWatchFd() const { return m_releaseWatch; }
    // Puts the pty slave's input, output and local modes back as they were when the pty was made,
    // once a program has closed it (cleanly or by being killed). A program killed mid-session
    // leaves its settings behind; the pty keeps all of them but 7 data bits and parity, so the
    // next program asking for the same settings changes nothing, and a C library that reports
    // "no change made" as EINVAL makes its serial port library refuse every later open.
    void releaseSeen();

    // What is waiting now (may be empty); an empty result with isOpen() false means the line
    // failed.
    QByteArray readAvailable();
    // Writes what the line takes now; the number of bytes written (-1: the line failed).
    qint64 write(const QByteArray &bytes);

private:
    bool fail(const QString &what);
    bool updateLink();

    int m_fd = -1;
    int m_slaveFd = -1; // held open so that the line stays up while programs reopen the slave
    int m_releaseWatch = -1;
    termios m_freshSettings{};
    QString m_devicePath;
    QString m_linkPath;
    QString m_device; // set when a serial device, not a pty, is used
    LineConfig m_deviceLine;
    QString m_error;
};
