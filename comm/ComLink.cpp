#include "ComLink.h"

#include <utility>

namespace
{

// Stands in when no component could be created, so that callers never meet a null instance.
class InertCom : public CommComponent
{
public:
    Reply sendRequest(const QString &, const QString &, const QString &, const QString &,
                      const QString &) override
    {
        return Reply::failed(ReplyVerdict::PortLost);
    }
    void prepareSend() override {}
    bool openPort() override { return false; }
    void closePort() override {}
    void setReplyTimeout(int milliseconds) override { m_timeout = milliseconds; }
    int replyTimeout() const override { return m_timeout; }
    void setFrameMode(FrameMode) override {}
    QString replyWord(const QString &, int) const override { return QString(); }

private:
    int m_timeout = DefaultReplyTimeoutMs;
};

} // namespace

ComLink::ComLink(CommComponentFactory factory) : m_factory(std::move(factory)) {}

ComLink::~ComLink() = default;

CommComponent &ComLink::renew()
{
    m_com.reset();
    if (m_factory)
        m_com = m_factory();
    if (!m_com)
        m_com = std::make_unique<InertCom>();
    m_com->setTrafficLog(m_traffic);
    m_com->setSearchProbes(m_searchProbes);
    return *m_com;
}

void ComLink::release()
{
    m_com.reset();
}

void ComLink::setTrafficLog(TrafficLog *log)
{
    m_traffic = log;
    if (m_com)
        m_com->setTrafficLog(log);
}

void ComLink::setSearchProbes(bool searchProbes)
{
    m_searchProbes = searchProbes;
    if (m_com)
        m_com->setSearchProbes(searchProbes);
}
