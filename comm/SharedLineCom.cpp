#include "SharedLineCom.h"

bool SharedLineCom::openPort()
{
    m_port.setPortName(portName());
    m_port.setSpeed(speed());
    m_port.setDataBits(dataBits());
    m_port.setStopBits(stopBits());
    m_port.setParity(parity());
    return m_port.openPort();
}
