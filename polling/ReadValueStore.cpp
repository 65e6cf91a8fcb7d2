#include "ReadValueStore.h"

#include "base/OperatorInterface.h"
#include "base/ZN8P_INC.h"
#include "comm/ComLink.h"
#include "comm/ParameterTable.h"

namespace
{
// The status bar panel that names the outcome of the last write.
constexpr int WriteNotePanel = 2;
} // namespace

ReadValueStore::ReadValueStore(ZN8P_INC &inc, ComLink &link, OperatorInterface &op)
    : m_inc(inc), m_link(link), m_op(op)
{
}

bool ReadValueStore::store(const QString &reply, int code)
{
    if (!ParameterTable::ReadDataSet(m_inc, m_link.com(), reply, code)) {
        markUnread(code);
        return false;
    }
    m_inc.unreadCodes.remove(code);
    const auto record = m_inc.unconfirmedWrites.constFind(code);
    if (ParameterTable::isSettingCode(code) && record != m_inc.unconfirmedWrites.cend() &&
        record->sent == m_inc.setting(code))
        closeRecord(m_inc, m_op, code);
    return true;
}

void ReadValueStore::markUnread(int code)
{
    m_inc.unreadCodes.insert(code);
}

void ReadValueStore::settle(ZN8P_INC &inc, OperatorInterface &op, int code)
{
    if (inc.unconfirmedWrites.contains(code))
        closeRecord(inc, op, code);
}

void ReadValueStore::closeRecord(ZN8P_INC &inc, OperatorInterface &op, int code)
{
    inc.unconfirmedWrites.remove(code);
    if (inc.writeNoteCode != code)
        return;
    inc.writeNoteCode = 0;
    op.setStatusPanel(WriteNotePanel, QString());
}
