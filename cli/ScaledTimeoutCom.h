#pragma once

#include "comm/SerialCommComponent.h"

// The serial component of a run given --timeout: every reply timeout the core sets (300 ms for
// the user protocols, longer ones where the controller needs them) is scaled by the run's
// timeout over the usual 300 ms, so that a slow route to the line (an Ethernet serial server, a
// radio link) gets its margin everywhere and a fast one loses less to each silent instrument.
class ScaledTimeoutCom : public SerialCommComponent
{
public:
    ScaledTimeoutCom(PortNames portNames, int timeoutMs)
        : SerialCommComponent(std::move(portNames)), m_timeoutMs(timeoutMs)
    {
        setReplyTimeout(DefaultReplyTimeoutMs);
    }

    void setReplyTimeout(int milliseconds) override
    {
        SerialCommComponent::setReplyTimeout(
            int(qint64(milliseconds) * m_timeoutMs / DefaultReplyTimeoutMs));
    }

private:
    int m_timeoutMs;
};
