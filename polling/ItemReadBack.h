#pragma once

#include "comm/SessionContext.h"

#include "polling/ReplyReporter.h"

struct ItemOutcome;
class RequestLayer;
class VendorFrameReads;
struct SessionState;

// Reads one item from the controller into its value (settingValues, or monitorValues for codes 0
// to 8), as an upload, a comparison and the read-back of a write do: through its register with
// "03", or in a vendor-frame exchange for codes 58 to 63 (readBackSetValue, readBackOutputItem).
// The reply is reported like every other read ("OK"/"NG", the communication error). A read that
// goes unanswered (nothing, or nothing valid, came back: a lost, late or garbled reply) is tried
// once more, so that one such reply does not cost the item; a refusal is the controller's answer
// and is not repeated.
class ItemReadBack
{
public:
    ItemReadBack(const SessionContext &context, ReplyReporter &reporter,
                 VendorFrameReads &vendorReads);

    // True when the controller's value of code was read and stored; false when it was refused,
    // unanswered twice, or (58 to 63) the item does not exist on this controller. commErrorFlag
    // is left set when the last try went unanswered.
    bool read(int code);
    // The read-back after a write, into the write's record: tried, and the value read when the
    // read was good. True when it was.
    bool confirm(ItemOutcome &record);

private:
    bool readOnce(int code);

    SessionState &m_shared;
    RequestLayer &m_request;
    VendorFrameReads &m_vendorReads;
    ReplyReporter &m_reporter;
};
