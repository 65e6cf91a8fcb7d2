#include "ScaledTimeoutCom.h"

#include <QtGlobal>

ScaledTimeoutCom::ScaledTimeoutCom(std::unique_ptr<ZN8PCom> inner, double factor)
    : m_inner(std::move(inner)), m_factor(factor), m_timeout(m_inner->ReplyTimeout())
{
}

ZN8PComFactory ScaledTimeoutCom::factory(ZN8PComFactory inner, double factor)
{
    return [inner = std::move(inner), factor]() -> std::unique_ptr<ZN8PCom> {
        return std::make_unique<ScaledTimeoutCom>(inner(), factor);
    };
}

void ScaledTimeoutCom::setReplyTimeout(int milliseconds)
{
    m_timeout = milliseconds;
    m_inner->setReplyTimeout(qMax(1, qRound(milliseconds * m_factor)));
}
