#pragma once

#include "polling/ReplyReporter.h"

class RequestLayer;
class VendorFrameReads;
struct ZN8P_INC;

// Reads one setting item back from the controller into settingValues, as a write is checked:
// through its register with "03", or in a vendor-frame exchange for codes 58 to 63 (Read_SV,
// Read_data). The reply is reported like every other read ("OK"/"NG", the communication error).
class ItemReadBack
{
public:
    ItemReadBack(ZN8P_INC &inc, RequestLayer &request, ReplyReporter &reporter,
                 VendorFrameReads &vendorReads);

    // True when the controller's value of code was read and stored; false when it was refused,
    // unanswered, or (58 to 63) the item does not exist on this controller.
    bool read(int code);

private:
    ZN8P_INC &m_inc;
    RequestLayer &m_request;
    VendorFrameReads &m_vendorReads;
    ReplyReporter &m_reporter;
};
