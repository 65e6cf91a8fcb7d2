#pragma once

#include "comm/CommComponent.h"

// One instrument's hold on a port that several instruments on one line share, for the sessions
// that serve them in turn on one thread. Requests and settings go to the shared port. Opening
// gives it the line conditions set here and keeps it open when it is open already; closing is
// left to the owner of the shared port, so that one instrument going offline leaves the others
// their line.
class SharedLineCom : public CommComponent
{
public:
    explicit SharedLineCom(CommComponent &port) : m_port(port) {}

    Reply sendRequest(const QString &station, const QString &subAddress, const QString &command,
                      const QString &address, const QString &data) override
    {
        return m_port.sendRequest(station, subAddress, command, address, data);
    }
    void prepareSend() override { m_port.prepareSend(); }
    bool openPort() override;
    void closePort() override {}
    PortOpenFault lastOpenFault() const override { return m_port.lastOpenFault(); }
    PortOpenFault lineLostFault() const override { return m_port.lineLostFault(); }
    void setReplyTimeout(int milliseconds) override { m_port.setReplyTimeout(milliseconds); }
    int replyTimeout() const override { return m_port.replyTimeout(); }
    void setFrameMode(FrameMode mode) override { m_port.setFrameMode(mode); }
    QString replyWord(const QString &reply, int wordNumber) const override
    {
        return m_port.replyWord(reply, wordNumber);
    }
    // The shared port records into the log its owner gave it, once per exchange whichever
    // instrument's session made it; an instrument's session does not take it over.
    void setTrafficLog(TrafficLog *) override {}
    void setSearchProbes(bool searchProbes) override { m_port.setSearchProbes(searchProbes); }

private:
    CommComponent &m_port;
};
