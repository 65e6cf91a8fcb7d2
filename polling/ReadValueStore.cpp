#include "ReadValueStore.h"

#include "base/OperatorInterface.h"
#include "base/SessionState.h"
#include "comm/ComLink.h"
#include "comm/ParameterTable.h"

namespace
{
// The status bar panel that names the outcome of the last write.
constexpr int WriteNotePanel = 2;
} // namespace

ReadValueStore::ReadValueStore(const SessionContext &context)
    : m_shared(context.shared), m_link(context.link), m_op(context.op)
{
}

bool ReadValueStore::store(const QString &reply, int code)
{
    if (!ParameterTable::storeReadWord(m_shared, m_link.com(), reply, code)) {
        markUnread(code);
        return false;
    }
    m_shared.unreadCodes.remove(code);
    const auto record = m_shared.unconfirmedWrites.constFind(code);
    if (ParameterTable::isSettingCode(code) && record != m_shared.unconfirmedWrites.cend() &&
        record->holds(m_shared.setting(code)))
        closeRecord(code);
    return true;
}

void ReadValueStore::markUnread(int code)
{
    m_shared.unreadCodes.insert(code);
}

void ReadValueStore::settle(int code)
{
    if (m_shared.unconfirmedWrites.contains(code))
        closeRecord(code);
}

void ReadValueStore::closeRecord(int code)
{
    m_shared.unconfirmedWrites.remove(code);
    if (m_shared.writeNoteCode != code)
        return;
    m_shared.writeNoteCode = 0;
    m_op.setStatusPanel(WriteNotePanel, QString());
}
