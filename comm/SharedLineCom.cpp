#include "SharedLineCom.h"

bool SharedLineCom::OpenPort()
{
    m_port.setPortName(PortName());
    m_port.setSpeed(Speed());
    m_port.setDataBits(DataBits());
    m_port.setStopBits(StopBits());
    m_port.setParity(Parity());
    return m_port.OpenPort();
}
