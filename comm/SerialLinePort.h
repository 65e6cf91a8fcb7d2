#pragma once

#include "comm/LinePort.h"

#include <QSerialPort>

// A local serial device (an adapter, a pseudo-terminal). The device node itself is locked while
// it is open (not its name), so that a second program cannot share the line through another name
// for the same adapter, also when it runs as root; that open fails with PortFault::Busy.
class SerialLinePort : public LinePort
{
public:
    bool open(const QString &device, const LineFormat &format, int timeoutMs) override;
    void close() override { m_port.close(); }
    bool isOpen() const override { return m_port.isOpen(); }
    void write(const QByteArray &bytes) override { m_port.write(bytes); }
    bool waitForBytesWritten(int milliseconds) override
    {
        return m_port.waitForBytesWritten(milliseconds);
    }
    bool waitForReadyRead(int milliseconds) override
    {
        return m_port.waitForReadyRead(milliseconds);
    }
    QByteArray readAll() override { return m_port.readAll(); }
    void clearInput() override { m_port.clear(QSerialPort::Input); }
    bool failed() const override;
    void clearError() override { m_port.clearError(); }
    QString errorString() const override { return m_port.errorString(); }
    PortOpenFault fault() const override { return m_fault; }

private:
    // Takes the lock on the open device; false when another open of it holds the lock.
    bool lockDevice();

    QSerialPort m_port;
    PortOpenFault m_fault;
};
