#include "ItemReadBack.h"

#include "base/ZN8P_INC.h"
#include "comm/ControllerCodes.h"
#include "comm/RequestLayer.h"
#include "polling/VendorFrameReads.h"

namespace
{
// One try and one more.
constexpr int Tries = 2;
} // namespace

ItemReadBack::ItemReadBack(ZN8P_INC &inc, RequestLayer &request, ReplyReporter &reporter,
                           VendorFrameReads &vendorReads)
    : m_inc(inc), m_request(request), m_vendorReads(vendorReads), m_reporter(reporter)
{
}

bool ItemReadBack::read(int code)
{
    for (int attempt = 1; attempt <= Tries; ++attempt) {
        m_inc.commErrorFlag = false;
        if (readOnce(code))
            return true;
        if (!m_inc.commErrorFlag)
            return false;
    }
    return false;
}

bool ItemReadBack::readOnce(int code)
{
    if (code >= Code::FirstVendor && code <= Code::LastVendor) {
        m_inc.itemCode = qint16(code);
        if (code <= Code::ContactInputFunction)
            m_vendorReads.Read_SV();
        else
            m_vendorReads.Read_data();
        return m_vendorReads.lastReadAccepted();
    }
    return m_reporter.read(m_request.read(m_inc.registerTable.at(code)), code) ==
           ReplyCheck::Outcome::Good;
}
