#pragma once

#include "comm/PortFault.h"

#include <QByteArray>
#include <QSerialPort>
#include <QString>

// The line conditions a port is opened with.
struct LineFormat {
    int speed = 9600;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// The byte pipe to the controllers' line that the communication component frames requests on:
// a local serial device or a connection to an Ethernet serial server. Used blocking on one
// thread; every wait is bounded by the caller.
class LinePort
{
public:
    virtual ~LinePort() = default;

    // Opens device with format; timeoutMs bounds what the port must wait for (a server's
    // connection and answers). False with fault() saying why.
    virtual bool open(const QString &device, const LineFormat &format, int timeoutMs) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Hands bytes to the line; waitForBytesWritten() tells whether they left within the time.
    virtual void write(const QByteArray &bytes) = 0;
    virtual bool waitForBytesWritten(int milliseconds) = 0;
    // True as soon as something arrived (which may be no line byte at all), false at the time's
    // end or when the line failed (failed() tells which).
    virtual bool waitForReadyRead(int milliseconds) = 0;
    // The line's bytes received so far.
    virtual QByteArray readAll() = 0;
    // Drops what was received and not yet read.
    virtual void clearInput() = 0;

    // True when the line failed since the last clearError(), for another reason than a wait that
    // ran out: the device is gone, the server ended the connection. fault() then says why.
    virtual bool failed() const = 0;
    virtual void clearError() = 0;
    virtual QString errorString() const = 0;
    // Why open() failed, or why the line failed.
    virtual PortOpenFault fault() const = 0;

    // What every reply may take longer than on a local line, in milliseconds: 0 for a device.
    virtual int allowanceMs() const { return 0; }
};
