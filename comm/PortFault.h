#pragma once

#include <QSerialPort>
#include <QString>

// Why a port did not open, as far as the operator can do something about it.
enum class PortFault {
    None,
    Unmapped,     // the COM name stands for no device
    Missing,      // the device is not there (unplugged adapter, stale path)
    NotSerial,    // the path is a file, a FIFO or a device that is no terminal
    Busy,         // another program holds the port
    AccessDenied, // this user may not use the device (not in its group)
    // A line behind an Ethernet serial server (tcp:// or rfc2217://):
    HostNotFound, // the server's name does not resolve
    Refused,      // nothing listens on that TCP port
    Unreachable,  // no connection within the wait (host down, packets dropped)
    ServerClosed, // the server reset or closed the connection
    InUse,        // the server says another client holds the line
    NotRfc2217,   // no COM-port control answered within the wait
    LineRefused,  // the server did not take the line conditions asked for
    Other,
};

struct PortOpenFault {
    PortFault fault = PortFault::None;
    QString device; // the device that was tried; empty for Unmapped
    QString detail; // what the message names besides: the wait in ms, the condition refused
};

namespace PortFaults
{
// Judges a failed open of device, of which QSerialPort reported error. On Unix the device is
// looked at (stat, a short non-blocking open) so that a missing path, a non-terminal and a port
// held by another program are told apart; elsewhere Qt's error decides.
PortFault classify(const QString &device, QSerialPort::SerialPortError error);

// The message that names fault of comName, with the device filled in (messages 1042 to 1045,
// 1170 to 1176 for a network line); 0 for None, AccessDenied (messages 871, 872 say it) and
// Other.
int messageId(PortFault fault);
// Whether fault is one of a line behind a serial server.
bool isNetwork(PortFault fault);
// That message's text for comName, in the active language; empty where messageId() is 0.
QString text(const QString &comName, const PortOpenFault &fault);
// Why the open line of comName went (CommComponent::lineLostFault), said where a request or a
// transfer failed for it: a server that closed the connection in message 1189 (it names no
// state of the program, which the one that takes it offline, 1173, does), any other fault as
// text() says it; empty when nothing more is known than that the line is gone.
QString lostText(const QString &comName, const PortOpenFault &lost);
} // namespace PortFaults
