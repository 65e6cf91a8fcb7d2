#pragma once

#include "comm/ZN8PCom.h"

#include <memory>

// Test seam: a component that passes everything to an inner one but scales every reply timeout
// it is given, so that searches over many unanswered probes run in seconds. Whatever sets the
// timeout (the link checks, the vendor-frame return) is scaled alike; ReplyTimeout() reports the
// unscaled value.
class ScaledTimeoutCom : public ZN8PCom
{
public:
    ScaledTimeoutCom(std::unique_ptr<ZN8PCom> inner, double factor);

    // A factory of scaled instances around the instances of inner.
    static ZN8PComFactory factory(ZN8PComFactory inner, double factor);

    QString SendRequest(const QString &station, const QString &subAddress, const QString &command,
                        const QString &address, const QString &data, int count,
                        const QString &spare) override
    {
        return m_inner->SendRequest(station, subAddress, command, address, data, count, spare);
    }
    void PrepareSend1() override { m_inner->PrepareSend1(); }
    void PrepareSend2() override { m_inner->PrepareSend2(); }
    bool OpenPort() override { return m_inner->OpenPort(); }
    void ClosePort() override { m_inner->ClosePort(); }
    void setReplyTimeout(int milliseconds) override;
    int ReplyTimeout() const override { return m_timeout; }
    void setPortName(const QString &name) override { m_inner->setPortName(name); }
    QString PortName() const override { return m_inner->PortName(); }
    void setSpeed(const QString &speed) override { m_inner->setSpeed(speed); }
    QString Speed() const override { return m_inner->Speed(); }
    void setDataBits(const QString &bits) override { m_inner->setDataBits(bits); }
    QString DataBits() const override { return m_inner->DataBits(); }
    void setStopBits(const QString &bits) override { m_inner->setStopBits(bits); }
    QString StopBits() const override { return m_inner->StopBits(); }
    void setParity(const QString &parity) override { m_inner->setParity(parity); }
    QString Parity() const override { return m_inner->Parity(); }
    void setFlagA(bool value) override { m_inner->setFlagA(value); }
    void setFlagB(bool value) override { m_inner->setFlagB(value); }
    void setFrameMode(FrameMode mode) override { m_inner->setFrameMode(mode); }
    QString ReplyWord(const QString &reply, int wordNumber) const override
    {
        return m_inner->ReplyWord(reply, wordNumber);
    }

private:
    std::unique_ptr<ZN8PCom> m_inner;
    double m_factor;
    int m_timeout;
};
