#pragma once

#include "comm/SessionContext.h"

#include "comm/Reply.h"
#include "comm/ReplyCheck.h"
#include "polling/ReadValueStore.h"

#include <QString>

class ComLink;
class MainView;
class OperatorInterface;
struct SessionState;

// Judges the reply of one user-protocol request (Modbus or Ravtocol, by shared.protocolIndex) and
// reports it the way every monitoring and transfer request does: commErrorFlag is cleared first;
// a good reply shows "OK" in status bar panel 1; no reply shows the "Communication error" box
// with the reply's verdict (a bad checksum, another instrument number, a serial server that closed
// the connection...) as its second line,
// sets commErrorFlag and counts one more unanswered request in a row (commErrorCount, which the
// link supervision watches); a refusal or an unrecognised reply shows "NG" and is no link
// failure, a refusal with its exception code beside it. An answer (good or refused) ends a run of
// failures: the count starts again from 0.
class ReplyReporter
{
public:
    ReplyReporter(const SessionContext &context);

    // A one-register read of code; a good reply's data word lands in the ReadValueStore, any other
    // reply puts code into unreadCodes.
    ReplyCheck::Outcome read(const Reply &reply, int code);
    // A one-register write.
    ReplyCheck::Outcome write(const Reply &reply);

private:
    ReplyCheck::Outcome report(ReplyCheck::Outcome outcome, const Reply &reply);
    // The verdict's text; for a lost port, why it went where the component knows it.
    QString cause(const Reply &reply) const;

    SessionState &m_shared;
    ComLink &m_link;
    OperatorInterface &m_op;
    MainView &m_view;
    ReadValueStore m_store;
};
