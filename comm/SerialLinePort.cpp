#include "SerialLinePort.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/file.h>
#endif

bool SerialLinePort::open(const QString &device, const LineFormat &format, int)
{
    m_fault = {};
    // The device node itself, whatever link named it: the port's own lock is keyed by the path.
    const QString resolved = QFileInfo(device).canonicalFilePath();
    const QString node = resolved.isEmpty() ? device : resolved;
    m_port.setPortName(node);
    m_port.setBaudRate(format.speed);
    m_port.setDataBits(format.dataBits);
    m_port.setParity(format.parity);
    m_port.setStopBits(format.stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_fault = {PortFaults::classify(node, m_port.error()), node, {}};
        return false;
    }
    if (!lockDevice()) {
        m_port.close();
        m_fault = {PortFault::Busy, node, {}};
        return false;
    }
    return true;
}

bool SerialLinePort::failed() const
{
    const QSerialPort::SerialPortError error = m_port.error();
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

bool SerialLinePort::lockDevice()
{
#ifdef Q_OS_UNIX
    // flock() belongs to the device node reached, whatever path led there, and binds root too;
    // closing the port releases it.
    return ::flock(int(m_port.handle()), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
#else
    // Windows opens a serial port exclusively by itself.
    return true;
#endif
}
