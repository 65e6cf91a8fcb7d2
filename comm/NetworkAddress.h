#pragma once

#include <QString>

#include <optional>

// A line behind an Ethernet serial server, named like a device: "tcp://HOST:PORT" (the line's
// bytes as they are over a TCP connection) or "rfc2217://HOST:PORT" (the same through telnet with
// COM-port control, so that the program sets the server's line conditions). HOST is a name, an
// IPv4 address or a bracketed IPv6 address ("[fd00::5]").
struct NetworkAddress {
    enum class Mode { Raw, Rfc2217 };
    Mode mode = Mode::Raw;
    QString host;
    quint16 port = 0;

    // nullopt when text is no such URL (a device path, a COM name) or its port is not 1 to 65535.
    static std::optional<NetworkAddress> parse(const QString &text);
    // Whether text starts like one of the URLs, well formed or not.
    static bool looksLikeUrl(const QString &text);
    // The URL again, e.g. "rfc2217://oven-line-gw:4001".
    QString url() const;
    // "oven-line-gw:4001", as the operator reads it in messages and the status bar.
    QString hostAndPort() const;
};
