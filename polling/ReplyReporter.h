#pragma once

#include "comm/ReplyCheck.h"

#include <QString>

class ComLink;
class MainView;
class OperatorInterface;
struct ZN8P_INC;

// Judges the reply of one user-protocol request (Modbus or Ravtocol, by inc.protocolIndex) and
// reports it the way every monitoring and transfer request does: commErrorFlag is cleared first;
// a good reply shows "OK" in status bar panel 1; no reply shows the "Communication error" box and
// sets commErrorFlag (which the link supervision counts); a refusal or an unrecognised reply shows
// "NG" and is no link failure.
class ReplyReporter
{
public:
    ReplyReporter(ZN8P_INC &inc, ComLink &link, OperatorInterface &op, MainView &view);

    // A one-register read of code; a good reply's data word is stored by ReadDataSet and takes
    // code out of unreadCodes, any other reply puts it there.
    ReplyCheck::Outcome read(const QString &reply, int code);
    // A one-register write.
    ReplyCheck::Outcome write(const QString &reply);

private:
    ReplyCheck::Outcome report(ReplyCheck::Outcome outcome);

    ZN8P_INC &m_inc;
    ComLink &m_link;
    OperatorInterface &m_op;
    MainView &m_view;
};
