#pragma once

#include "comm/SessionContext.h"

#include "polling/ReadValueStore.h"

class ComLink;
class MainView;
class OperatorInterface;
class RequestLayer;
class VendorFrameSession;
struct SessionState;

// Reads of the items that live only in the controller's vendor frame: set values 2 to 4
// (codes 58 to 60), the contact input function (61), the output status when input abnormal (62)
// and the OUT/OFF key function (63). Each operation is one exchange of the vendor-frame session.
// Values land in settingValues through the ReadValueStore.
class VendorFrameReads
{
public:
    VendorFrameReads(const SessionContext &context, VendorFrameSession &session);

    // Reads back item code 58, 59, 60 or 61 when the SV2 to SV4 option is present; 59 and 60
    // only while code 61 is 0. The key write and the return run whenever the option is present,
    // even when the code reads nothing.
    void readBackSetValue(int code);
    // Reads back code 63, or code 62 when code is 62 (that exchange runs only with the
    // DC current output on a DC input, see hasAbnormalOutputItem()).
    void readBackOutputItem(int code);
    // The 10-second refresh of codes 61, 58 and, while 61 is 0, 59 and 60. Nothing is sent
    // without the option or while code 61 is 2.
    void refreshSetValues();
    // The 10-second refresh of code 62, under the same condition as readBackOutputItem for 62.
    void refreshAbnormalOutput();

    // Whether the last readBackSetValue or readBackOutputItem stored a value the controller sent;
    // false when it read nothing, was refused or went unanswered.
    bool lastReadAccepted() const { return m_lastReadAccepted; }

private:
    void readItem(int code);

    SessionState &m_shared;
    RequestLayer &m_request;
    OperatorInterface &m_op;
    MainView &m_view;
    VendorFrameSession &m_session;
    ReadValueStore m_store;
    bool m_lastReadAccepted = false;
};
