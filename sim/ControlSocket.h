#pragma once

#include <QString>

#include <functional>
#include <poll.h>
#include <string>
#include <vector>

// The simulator's control commands on a local (Unix domain) stream socket, for a simulator that
// runs as a service and has no terminal: each connection sends commands one per line and gets
// each answer as a line, as on standard input ("socat - UNIX-CONNECT:PATH"). Several connections
// may be open at once. The socket file is made with mode 0660 and removed when the simulator ends.
class ControlSocket
{
public:
    using Handler = std::function<QString(const QString &line)>;

    ControlSocket() = default;
    ~ControlSocket();
    ControlSocket(const ControlSocket &) = delete;
    ControlSocket &operator=(const ControlSocket &) = delete;

    // Listens at path. A socket left there by a simulator that died is replaced; one that another
    // simulator still answers on, or anything that is no socket, is not: false with the reason.
    bool listen(const QString &path, QString *error);
    // The descriptors to poll for input: the listener's and every connection's.
    std::vector<pollfd> pollSet() const;
    // Takes new connections and the lines that arrived, as poll reported them in polled, and
    // answers each line with handler's text (nothing for an empty answer).
    void serve(const std::vector<pollfd> &polled, const Handler &handler);

private:
    struct Connection {
        int fd = -1;
        std::string pending;
    };
    void accept();
    // False when the connection ended.
    bool read(Connection &connection, const Handler &handler);

    int m_listener = -1;
    QString m_path;
    std::vector<Connection> m_connections;
};
