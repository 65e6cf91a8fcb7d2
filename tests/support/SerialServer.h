#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// Debian's ser2net as the Ethernet serial server in front of a device (the simulator's
// pseudo-terminal): started on a free loopback port with a configuration of its own in a temporary
// folder, in raw ("tcp://") or telnet RFC 2217 ("rfc2217://") mode, one client at a time, and
// ended by the destructor. Every wait here is bounded.
class SerialServer
{
public:
    enum class Mode { Raw, Rfc2217 };

    SerialServer() = default;
    ~SerialServer();
    SerialServer(const SerialServer &) = delete;
    SerialServer &operator=(const SerialServer &) = delete;

    // ser2net's path; empty when it is not installed (tools/deps.sh installs it).
    static QString executable();
    // A loopback TCP port nothing listens on right now.
    static quint16 freePort();

    // Serves device in mode, its line opened with ser2net's conditions ("9600n81", "19200e71");
    // false (see errorString) when ser2net did not start listening.
    bool start(const QString &device, Mode mode,
               const QString &lineConditions = QStringLiteral("9600n81"));
    // "tcp://127.0.0.1:PORT" or "rfc2217://127.0.0.1:PORT".
    QString url() const;
    quint16 port() const { return m_port; }
    QString errorString() const { return m_error; }
    // Ends ser2net at once (SIGKILL), as a server switched off: its connections are reset.
    void kill();

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    Mode m_mode = Mode::Raw;
    quint16 m_port = 0;
    QString m_error;
};
