#pragma once

#include "comm/LinePort.h"
#include "comm/NetworkAddress.h"
#include "comm/TelnetCodec.h"

#include <QDeadlineTimer>
#include <QTcpSocket>

#include <memory>

// A line behind an Ethernet serial server, opened from its URL (NetworkAddress). Raw mode passes
// the line's bytes as they are; RFC 2217 mode speaks telnet, asks for the COM-port option, sets
// speed, data size, parity and stop size, purges the server's buffers, and takes the line only
// when the server confirmed every condition as asked. Nagle's delay is off: a request is a few
// bytes that must leave at once.
//
// Open faults: HostNotFound, Refused, Unreachable (no connection within the wait), InUse (the
// server says so and closes, as ser2net does for a second client), NotRfc2217 (no COM-port
// answer within the wait), LineRefused (the condition in fault().detail). A server that ends
// the connection later fails the line with ServerClosed (or InUse).
class NetworkLinePort : public LinePort
{
public:
    explicit NetworkLinePort(int allowanceMs) : m_allowanceMs(allowanceMs) {}
    ~NetworkLinePort() override;

    bool open(const QString &device, const LineFormat &format, int timeoutMs) override;
    void close() override;
    bool isOpen() const override;
    void write(const QByteArray &bytes) override;
    bool waitForBytesWritten(int milliseconds) override;
    bool waitForReadyRead(int milliseconds) override;
    QByteArray readAll() override;
    void clearInput() override { readAll(); }
    bool failed() const override;
    void clearError() override {}
    QString errorString() const override;
    PortOpenFault fault() const override { return m_fault; }
    int allowanceMs() const override { return m_allowanceMs; }

private:
    bool connectTo(const NetworkAddress &address, const QDeadlineTimer &deadline);
    // The COM-port option negotiated and the line set to format, within the deadline.
    bool setLine(const LineFormat &format, const QDeadlineTimer &deadline);
    // Answers the server's telnet options: binary both ways, suppress-go-ahead and the COM-port
    // option are taken, everything else refused, each answered once.
    void answerOption(const TelnetCodec::Command &command);
    // Reads what the socket has; commands go to m_commands.
    QByteArray receive();
    // After the server ended the connection: InUse when its last words say so, else
    // ServerClosed.
    void noteClosed();
    void send(const QByteArray &bytes);
    // A server that holds back the rest of a reply until its first part is acknowledged
    // (Nagle's rule on its side, as ser2net's default) would otherwise wait for our delayed
    // acknowledgement, 40 ms on Linux, whenever the line's bytes reach it in two parts.
    void acknowledgeAtOnce();

    int m_allowanceMs;
    std::unique_ptr<QTcpSocket> m_socket;
    bool m_telnet = false;
    TelnetCodec m_codec;
    QList<TelnetCodec::Command> m_commands;
    QList<quint16> m_answered; // verb << 8 | option of each answer sent
    QByteArray m_lastWords;    // the last line bytes received, to read a refusal from
    PortOpenFault m_fault;
};
