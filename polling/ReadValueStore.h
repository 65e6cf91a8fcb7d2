#pragma once

#include "comm/SessionContext.h"

#include <QString>

class ComLink;
class OperatorInterface;
struct SessionState;

// Where a value read from the controller lands. A good reply's value is stored (storeReadWord) and
// the item leaves unreadCodes; when it is the value that the item's last write meant to give, the
// record of that write closes, and status bar panel 2 stops naming the item. Any other reply puts
// the item into unreadCodes.
class ReadValueStore
{
public:
    ReadValueStore(const SessionContext &context);

    // Stores the data word of reply, a good reply to a read of code; false (and the item unread)
    // when it holds no readable word.
    bool store(const QString &reply, int code);
    void markUnread(int code);

    // The pages now show what the controller holds for code, read just now in a full upload: the
    // record of its last write closes whatever it said.
    void settle(int code);

private:
    void closeRecord(int code);

    SessionState &m_shared;
    ComLink &m_link;
    OperatorInterface &m_op;
};
