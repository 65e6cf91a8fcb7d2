#pragma once

#include "comm/SerialZN8PCom.h"

// The serial component of a run given --timeout: every reply timeout the core sets (300 ms for
// the user protocols, longer ones where the controller needs them) is scaled by the run's
// timeout over the usual 300 ms, so that a slow route to the line (an Ethernet serial server, a
// radio link) gets its margin everywhere and a fast one loses less to each silent instrument.
class ScaledTimeoutCom : public SerialZN8PCom
{
public:
    static constexpr int UsualTimeoutMs = 300;

    ScaledTimeoutCom(PortNames portNames, int timeoutMs)
        : SerialZN8PCom(std::move(portNames)), m_timeoutMs(timeoutMs)
    {
        setReplyTimeout(UsualTimeoutMs);
    }

    void setReplyTimeout(int milliseconds) override
    {
        SerialZN8PCom::setReplyTimeout(int(qint64(milliseconds) * m_timeoutMs / UsualTimeoutMs));
    }

private:
    int m_timeoutMs;
};
