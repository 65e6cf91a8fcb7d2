#include "ItemReadBack.h"

#include "base/ItemOutcome.h"
#include "base/SessionState.h"
#include "comm/ControllerCodes.h"
#include "comm/RequestLayer.h"
#include "polling/VendorFrameReads.h"

namespace
{
// One try and one more.
constexpr int Tries = 2;
} // namespace

ItemReadBack::ItemReadBack(const SessionContext &context, ReplyReporter &reporter,
                           VendorFrameReads &vendorReads)
    : m_shared(context.shared), m_request(context.request), m_vendorReads(vendorReads),
      m_reporter(reporter)
{
}

bool ItemReadBack::read(int code)
{
    for (int attempt = 1; attempt <= Tries; ++attempt) {
        m_shared.commErrorFlag = false;
        if (readOnce(code))
            return true;
        if (!m_shared.commErrorFlag)
            return false;
    }
    return false;
}

bool ItemReadBack::confirm(ItemOutcome &record)
{
    record.readBackTried = true;
    if (!read(record.code))
        return false;
    record.readBack = m_shared.setting(record.code);
    return true;
}

bool ItemReadBack::readOnce(int code)
{
    if (code >= Code::FirstVendor && code <= Code::LastVendor) {
        if (code <= Code::ContactInputFunction)
            m_vendorReads.readBackSetValue(code);
        else
            m_vendorReads.readBackOutputItem(code);
        return m_vendorReads.lastReadAccepted();
    }
    return m_reporter.read(m_request.read(m_shared.registerTable.at(code)), code) ==
           ReplyCheck::Outcome::Good;
}
