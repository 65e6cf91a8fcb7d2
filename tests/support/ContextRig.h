#pragma once

#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/RequestLayer.h"
#include "comm/SessionContext.h"
#include "tests/support/RecordingMainView.h"

// A session context around a test's own state and operator, for the parts that use only those two
// (the dialogs, the chart): its line has no port and its view only records. Keep it named for as
// long as what it was handed to.
class ContextRig
{
public:
    ContextRig(SessionState &shared, OperatorInterface &op)
        : m_request(shared, m_link), m_context{shared, m_link, m_request, op, m_view}
    {
    }
    ContextRig(const ContextRig &) = delete;
    ContextRig &operator=(const ContextRig &) = delete;

    operator const SessionContext &() const { return m_context; }

private:
    ComLink m_link{CommComponentFactory()};
    RequestLayer m_request;
    RecordingMainView m_view;
    SessionContext m_context;
};
