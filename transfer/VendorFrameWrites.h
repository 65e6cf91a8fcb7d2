#pragma once

#include "comm/SessionContext.h"

#include "polling/ReplyReporter.h"

#include <QString>

struct ItemOutcome;
class ComLink;
class MainView;
class OperatorInterface;
class RequestLayer;
class VendorFrameSession;
struct SessionState;

// Writes of the items that the controller takes only in its vendor frame: the main set value and
// set values 2 to 4 (codes 11, 58 to 60), the contact input function (61), the output status when
// input abnormal (62), the OUT/OFF key function (63) and, for the tenth-degree inputs, large AT
// bias values (51). Each write is one exchange of the vendor-frame session: the working item is
// written with "q" and its stored copy with "r", each sent twice: an ACK to either of the two
// counts, else the second reply is judged (judgeVendorWrite). Their outcome shows as "OK" or "NG"
// in status bar panel 1; the callers judge the reply returned.
class VendorFrameWrites
{
public:
    VendorFrameWrites(const SessionContext &context, VendorFrameSession &exchange);

    // Writes item code (11, 58, 59, 60 or 61) with data, the value as four hexadecimal digits
    // high byte first (the vendor frame's order in every protocol). Set values 2 to 4 are written
    // only with the contact input option (optionWord bit 0x01), 3 and 4 only while code 61 is 0.
    // The memory number is read first; when the set value written is the one in use, the alarm
    // standby of the alarms with standby types is re-armed. Returns the reply of the last write,
    // NoReply when nothing was written.
    Reply writeSetValue(int code, const QString &data);
    // Writes item code 62 (FC94/004E) or 63 (FC96/004F); any other code opens and closes the
    // vendor frame without a write. Data and result as writeSetValue.
    Reply writeOutputItem(int code, const QString &data);
    // The AT bias write of a download or a single write, judged into record (record.sent the
    // bias, data its user-protocol data field): the mode register is read; below
    // DirectAtBiasMode sendAtBias() writes it and its reply is judged as a vendor-frame or a direct
    // write, and true is returned. False from DirectAtBiasMode on: the caller writes the register
    // as any other.
    bool writeAtBias(ItemOutcome &record, const QString &data);
    // Reads the set value memory number (FF13) into code 64; "OK" or "NG" in panel 1 ('!' or ESC),
    // nothing at all for any other reply.
    void readMemoryNumber();
    // Judges a vendor-frame write reply: clears commErrorFlag; ACK shows "OK", NAK or ESC "NG".
    void judgeVendorWrite(const Reply &reply);

    // The mode register's value from which the AT bias is always written directly.
    static constexpr qint16 DirectAtBiasMode = 266;
    // True when an AT bias value needs the vendor frame below DirectAtBiasMode: tenth-degree
    // input types with a bias above 50 (5.0 degrees).
    static bool atBiasNeedsVendorFrame(int inputType, qint16 bias);

private:
    // Writes the AT bias (code 51). data is the user protocol's data field (byte-swapped under
    // Ravtocol). The mode register is read first: from 266 on, and below for every input type
    // except a tenth-degree one with a bias above 5.0, the bias goes directly to register 0047;
    // otherwise through the vendor frame (FC90/004C). Returns the reply of the direct write or of
    // the last vendor-frame write.
    Reply sendAtBias(const QString &data);
    // Whether sendAtBias() sends bias through the vendor frame, under the mode register value last
    // read.
    bool atbThroughVendorFrame(qint16 bias) const;
    // "q" twice to the code's working item, then "r" twice to its stored copy.
    Reply writePair(int code, const QString &data);
    // Sends command twice to item; returns the reply that says the item took the data if one
    // does, else the second, and judges it.
    Reply sendTwice(const QString &command, const QString &item, const QString &data);
    // Writes 0000 to the standby item of each alarm whose type is one with standby.
    void rearmAlarmStandby();

    SessionState &m_shared;
    RequestLayer &m_request;
    ComLink &m_link;
    OperatorInterface &m_op;
    VendorFrameSession &m_exchange;
    ReplyReporter m_reporter;
};
